// Report files: every format byte for byte from a real list view, column
// visibility and order, empty cells, HTML escaping, CSV quoting, long cells
// and the error box for a file that cannot be created.
#include <gtest/gtest.h>

#include "test_report_list.h"

#include <thread>

namespace {

const char *const RowLogo[COLUMN_COUNT] = {
    "logo.png", "http://cdn.example/img/logo.png", "image/png", "1,234", "Mon, 02 Jan 2023 10:00:00 GMT",
    "", "", "HTTP/1.1 200 OK", "\"abc\"", "0a1b2c3d4e"};
const char *const RowSkipped[COLUMN_COUNT] = {
    "skip.js", "http://cdn.example/skip.js", "text/javascript", "5", "", "", "", "HTTP/1.1 200 OK", "", "0b"};
const char *const RowPage[COLUMN_COUNT] = {
    "page.html", "http://store.example/app/10", "text/html", "12", "Tue, 03 Jan 2023 21:30:00 GMT",
    "Sun, 01 Jan 2023 08:00:00 GMT", "", "HTTP/1.1 200 OK", "", "ff00112233"};

const char Rule[] = "================================\r\n";

std::string HtmlHead()
{
    const char *const lines[] = {
        "<html>", "<head>", "  <title>Marrowick</title>", "  <style type=\"text/css\">",
        "    body   { font-family: Verdana, Geneva, sans-serif; }",
        "    table  { width: 100%; border-collapse: collapse; font-size: 0.8125em; }",
        "    th, td { border: 1px solid #4e4e4e; padding: 2px; text-align: left; white-space: nowrap; }",
        "    th     { color: #ffffff; background-color: #5f91c8; }",
        "  </style>", "</head>", "<body>", "", "<h2>Marrowick</h2>", "", "<table>"};
    std::string head;
    for (const char *line : lines)
        head += std::string(line) + "\r\n";
    return head;
}

// One HTML table row of `tag` cells.
std::string HtmlRow(const char *tag, std::initializer_list<const char *> cells)
{
    std::string row = "  <tr>\r\n";
    for (const char *cell : cells)
        row += std::string("    <") + tag + ">" + cell + "</" + tag + ">\r\n";
    return row + "  </tr>\r\n";
}

const char HtmlTail[] = "</table>\r\n\r\n</body>\r\n</html>\r\n";

struct ReportFileTest : ::testing::Test {
    ReportList List;
    std::string Dir = MakeTempDir("report");
    std::string Path = Dir + "\\report.out";

    void SetUp() override
    {
        List.Add(RowLogo);
        List.Add(RowSkipped, false);
        List.Add(RowPage);
    }
    void TearDown() override { RemoveTree(Dir); }

    std::string Write(int format, int visible)
    {
        List.Show(visible);
        WriteReportFile(List.Owner, List.List, Path.c_str(), format);
        return ReadFileBytes(Path);
    }
};

struct FormatCase {
    const char *Name;
    int Format;
    int Visible;
    std::string Expected;
};

TEST_F(ReportFileTest, EveryFormatByteForByte)
{
    const int nameSize = Bit(COL_FILENAME) | Bit(COL_FILE_SIZE);
    const int nameETagFile = Bit(COL_FILENAME) | Bit(COL_ETAG) | Bit(COL_CACHE_FILE);
    const std::string bare = "logo.png1,234page.html12";
    const FormatCase cases[] = {
        {"text", 1, nameSize,
         std::string(Rule) + "Filename         : logo.png\r\nFile Size        : 1,234\r\n" + Rule + "\r\n" +
             Rule + "Filename         : page.html\r\nFile Size        : 12\r\n" + Rule + "\r\n"},
        {"tab", 2, nameSize, "logo.png\t1,234\r\npage.html\t12\r\n"},
        {"csv", 3, nameSize, "Filename,File Size\r\nlogo.png,\"1,234\"\r\npage.html,12\r\n"},
        {"html", 4, nameSize,
         HtmlHead() + HtmlRow("th", {"Filename", "File Size"}) + HtmlRow("td", {"logo.png", "1,234"}) +
             HtmlRow("td", {"page.html", "12"}) + HtmlTail},
        {"text empty cell is its label alone", 1, Bit(COL_ETAG),
         std::string(Rule) + "ETag             : \"abc\"\r\n" + Rule + "\r\n" +
             Rule + "ETag             : \r\n" + Rule + "\r\n"},
        {"tab empty cells", 2, Bit(COL_FILENAME) | Bit(COL_LAST_MODIFIED) | Bit(COL_ETAG),
         "logo.png\t\t\"abc\"\r\npage.html\t1/1/2023 8:00:00 AM\t\r\n"},
        {"csv empty cell", 3, nameETagFile,
         "Filename,ETag,Cache File\r\nlogo.png,\"\"\"abc\"\"\",0a1b2c3d4e\r\npage.html,,ff00112233\r\n"},
        {"html empty cell", 4, nameETagFile,
         HtmlHead() + HtmlRow("th", {"Filename", "ETag", "Cache File"}) +
             HtmlRow("td", {"logo.png", "&quot;abc&quot;", "0a1b2c3d4e"}) +
             HtmlRow("td", {"page.html", "&nbsp;", "ff00112233"}) + HtmlTail},
        {"all columns in ColumnId order", 2, 0x3FF,
         "logo.png\thttp://cdn.example/img/logo.png\timage/png\t1,234\t1/2/2023 10:00:00 AM\t\t\t"
         "HTTP/1.1 200 OK\t\"abc\"\t0a1b2c3d4e\r\n"
         "page.html\thttp://store.example/app/10\ttext/html\t12\t1/3/2023 9:30:00 PM\t1/1/2023 8:00:00 AM\t\t"
         "HTTP/1.1 200 OK\t\tff00112233\r\n"},
        {"format 0", 0, nameSize, bare},
        {"format 5 is no file format", 5, nameSize, bare},
        {"format beyond the table", 9, nameSize, bare},
        {"negative format", -1, nameSize, bare},
        {"no visible column", 3, 0, "\r\n\r\n\r\n"},
    };
    for (const FormatCase &c : cases)
        EXPECT_EQ(Write(c.Format, c.Visible), c.Expected) << c.Name;
}

TEST_F(ReportFileTest, ScreenOrderDoesNotChangeColumnOrder)
{
    // Cache File dragged to the front, File Size to the end.
    int order[COLUMN_COUNT] = {COL_CACHE_FILE, COL_FILENAME, COL_URL, COL_CONTENT_TYPE, COL_SERVER_TIME,
                               COL_LAST_MODIFIED, COL_EXPIRE_TIME, COL_SERVER_RESPONSE, COL_ETAG, COL_FILE_SIZE};
    ASSERT_TRUE(SendMessageA(List.List, LVM_SETCOLUMNORDERARRAY, COLUMN_COUNT, (LPARAM)order));
    const int visible = Bit(COL_FILENAME) | Bit(COL_FILE_SIZE) | Bit(COL_CACHE_FILE);
    EXPECT_EQ(Write(3, visible),
              "Filename,File Size,Cache File\r\nlogo.png,\"1,234\",0a1b2c3d4e\r\npage.html,12,ff00112233\r\n");
}

TEST_F(ReportFileTest, ExistingFileIsReplaced)
{
    HANDLE file = CreateFileA(Path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string old(10000, 'x');
    DWORD written;
    WriteFile(file, old.data(), (DWORD)old.size(), &written, NULL);
    CloseHandle(file);
    EXPECT_EQ(Write(2, Bit(COL_FILENAME)), "logo.png\r\npage.html\r\n");
}

// Values and titles that would break a CSV or HTML file: quoted or written
// as entities there, untouched in text and tab-delimited reports.
TEST(ReportEscaping, CsvQuotesAndHtmlEntities)
{
    ReportList list;
    const char *const tricky[COLUMN_COUNT] = {
        "a,b", "http://x/?a=1&b=<2>&c=\"q\"", "two\r\nlines", "say \"hi\"", "", "", "", "plain", "\"", "cr\rx"};
    list.Add(tricky);
    list.SetTitle(COL_URL, "URL & <Link>");
    list.SetTitle(COL_CONTENT_TYPE, "Type, \"MIME\"");
    list.Show(Bit(COL_FILENAME) | Bit(COL_URL) | Bit(COL_CONTENT_TYPE) | Bit(COL_FILE_SIZE) |
              Bit(COL_SERVER_RESPONSE) | Bit(COL_ETAG) | Bit(COL_CACHE_FILE));
    std::string dir = MakeTempDir("escape");
    std::string path = dir + "\\r.out";
    auto write = [&](int format) {
        WriteReportFile(list.Owner, list.List, path.c_str(), format);
        return ReadFileBytes(path);
    };
    EXPECT_EQ(write(3),
              "Filename,URL & <Link>,\"Type, \"\"MIME\"\"\",File Size,Server Response,ETag,Cache File\r\n"
              "\"a,b\",\"http://x/?a=1&b=<2>&c=\"\"q\"\"\",\"two\r\nlines\",\"say \"\"hi\"\"\",plain,\"\"\"\","
              "\"cr\rx\"\r\n");
    EXPECT_EQ(write(4), HtmlHead() +
                            HtmlRow("th", {"Filename", "URL &amp; &lt;Link&gt;", "Type, &quot;MIME&quot;", "File Size",
                                           "Server Response", "ETag", "Cache File"}) +
                            HtmlRow("td", {"a,b", "http://x/?a=1&amp;b=&lt;2&gt;&amp;c=&quot;q&quot;", "two\r\nlines",
                                           "say &quot;hi&quot;", "plain", "&quot;", "cr\rx"}) +
                            HtmlTail);
    EXPECT_EQ(write(2), "a,b\thttp://x/?a=1&b=<2>&c=\"q\"\ttwo\r\nlines\tsay \"hi\"\tplain\t\"\tcr\rx\r\n");
    EXPECT_EQ(write(1), std::string(Rule) +
                            "Filename         : a,b\r\n"
                            "URL & <Link>     : http://x/?a=1&b=<2>&c=\"q\"\r\n"
                            "Type, \"MIME\"     : two\r\nlines\r\n"
                            "File Size        : say \"hi\"\r\n"
                            "Server Response  : plain\r\n"
                            "ETag             : \"\r\n"
                            "Cache File       : cr\rx\r\n" +
                            Rule + "\r\n");
    RemoveTree(dir);
}

TEST_F(ReportFileTest, LongCellIsWrittenWhole)
{
    std::string longUrl = "http://cdn.example/" + std::string(1500, 'q');
    const char *const row[COLUMN_COUNT] = {"long", longUrl.c_str(), "", "", "", "", "", "", "", ""};
    ClearTestRows(List.List);
    List.Add(row);
    EXPECT_EQ(Write(2, Bit(COL_URL)), longUrl + "\r\n");
}

TEST_F(ReportFileTest, FileThatCannotBeCreatedShowsTheError)
{
    // A folder cannot be opened as a file; the error it gives is the one shown.
    SetLastError(0);
    HANDLE probe = CreateFileA(Dir.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_EQ(probe, INVALID_HANDLE_VALUE);
    char system[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, GetLastError(),
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), system, sizeof(system), NULL);
    BoxCapture capture;
    List.Show(Bit(COL_FILENAME));
    WriteReportFile(List.Owner, List.List, Dir.c_str(), 2);
    ASSERT_EQ(capture.Boxes.size(), 1u);
    auto trim = [](std::string s) {
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        return s;
    };
    EXPECT_EQ(trim(capture.Boxes[0].Text), trim("Could not open file for writing: " + Dir + "\n\n" + system));
    EXPECT_EQ(capture.Boxes[0].Caption, "Error");
    EXPECT_EQ(capture.Boxes[0].Owner, List.Owner);
}

// A write that fails part-way (the disk fills up) is reported once, and
// nothing is written after it. A pipe whose reader leaves after 100 bytes
// stands in for the full disk.
TEST_F(ReportFileTest, WriteFailingPartWayIsReported)
{
    const char *pipeName = "\\\\.\\pipe\\marrowick_report_test";
    HANDLE server = CreateNamedPipeA(pipeName, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 16, 16, 0, NULL);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    std::thread reader([server] {
        ConnectNamedPipe(server, NULL);
        char bytes[100];
        DWORD total = 0, got = 0;
        while (total < sizeof(bytes) && ReadFile(server, bytes, sizeof(bytes) - total, &got, NULL))
            total += got;
        DisconnectNamedPipe(server);
        CloseHandle(server);
    });
    BoxCapture capture;
    List.Show(Bit(COL_FILENAME) | Bit(COL_URL) | Bit(COL_CACHE_FILE));
    WriteReportFile(List.Owner, List.List, pipeName, 4);
    reader.join();
    ASSERT_EQ(capture.Boxes.size(), 1u);
    const std::string &text = capture.Boxes[0].Text;
    EXPECT_EQ(text.rfind(std::string("Error writing file: ") + pipeName + "\n\n", 0), 0u) << text;
    EXPECT_GT(text.size(), std::string("Error writing file: \n\n").size() + lstrlenA(pipeName)) << "with the system's text";
    EXPECT_EQ(capture.Boxes[0].Caption, "Error");

    // The next report starts without the old failure.
    capture.Boxes.clear();
    EXPECT_EQ(Write(2, Bit(COL_FILENAME)), "logo.png\r\npage.html\r\n");
    EXPECT_TRUE(capture.Boxes.empty());
}

}  // namespace
