// Main window: start-up and settings, commands, list view, sorting and time
// display, toolbar and status bar, find and selection; the command line
// for scripts, which runs without the window.
#ifndef MARROWICK_UI_H
#define MARROWICK_UI_H

#include "ui/mainwindow.h"
#include "ui/listview.h"
#include "ui/sort.h"
#include "ui/toolbar.h"
#include "ui/find.h"
#include "ui/filter.h"
#include "ui/preview.h"
#include "ui/command_line.h"

#endif
