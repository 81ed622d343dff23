// Local file name and icon: the name rules, the MIME database look-up (keys
// written into the prefix by the test itself), IconCache and DefaultFileIcon,
// the registry reader and the room left in the URL's working copy.
#include <gtest/gtest.h>

#include "test_util.h"

static const char *const MimeRoot = "MIME\\Database\\Content Type\\";

struct MimeEntry {
    const char *Type;
    DWORD ValueType;
    const char *Extension;
};

// Media types of our own, so nothing depends on the database Wine ships.
static const MimeEntry MimeEntries[] = {
    {"application/x-marrowick-feed", REG_SZ, ".xml"},
    {"application/x-marrowick-nodot", REG_SZ, "xml"},
    {"application/x-marrowick-dword", REG_DWORD, nullptr},
    {"application/x-marrowick-long", REG_SZ, ".abcdefghijklmnopq"},  // needs more than 16 bytes
};

static void DeleteMimeKeys()
{
    for (const auto &e : MimeEntries)
        RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(MimeRoot) + e.Type).c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(MimeRoot) + "application/x-marrowick-none").c_str());
}

class FileNameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        DeleteMimeKeys();
        for (const auto &e : MimeEntries) {
            HKEY key;
            ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, (std::string(MimeRoot) + e.Type).c_str(), 0, NULL, 0,
                                      KEY_SET_VALUE, NULL, &key, NULL), ERROR_SUCCESS);
            DWORD number = 5;
            if (e.ValueType == REG_SZ)
                RegSetValueExA(key, "Extension", 0, REG_SZ, (const BYTE *)e.Extension, lstrlenA(e.Extension) + 1);
            else
                RegSetValueExA(key, "Extension", 0, REG_DWORD, (const BYTE *)&number, sizeof(number));
            RegCloseKey(key);
        }
    }
    static void TearDownTestSuite() { DeleteMimeKeys(); }
    void SetUp() override
    {
        IconCache.Count = 0;
        DefaultFileIcon = -1;
    }
};

static int CachedIcon(const char *extension)
{
    for (int i = 0; i < IconCache.Count; i++)
        if (lstrcmpiA(IconCache.Entries[i].Extension, extension) == 0)
            return IconCache.Entries[i].IconIndex;
    return -1;
}

struct NameCase {
    const char *Url, *Attachment, *MediaType, *Name, *Extension;  // Extension null: DefaultFileIcon
};

TEST_F(FileNameTest, NameAndIconExtension)
{
    const NameCase cases[] = {
        {"http://host1/img/logo.png", nullptr, "image/png", "logo.png", ".png"},
        {"http://host1/a/page.php?x=1&y=2", nullptr, "text/html", "page.php", ".php"},
        {"http://host1/a/?x=1&y=2", nullptr, nullptr, "x=1&y=2", nullptr},
        {"http://host1/dir/", nullptr, nullptr, "dir", nullptr},
        {"http://host1/", nullptr, nullptr, "host1", nullptr},
        {"http://host1/a/b.c/file", nullptr, nullptr, "file", nullptr},
        {"http://host1/a/b?c?d", nullptr, nullptr, "b?c", nullptr},
        {"http://host1/dir/?", nullptr, nullptr, "dir", nullptr},  // a lone "?": the segment in front
        {"http://host1/dl/get?id=5", "report.pdf", "application/pdf", "report.pdf", ".pdf"},
        {"http://host1/dl/", "notes", nullptr, "notes", nullptr},
        {"http://host1/feed", nullptr, "application/x-marrowick-feed", "feed.xml", ".xml"},
        {"http://host1/dl/get", "data", "application/x-marrowick-feed", "data.xml", ".xml"},
        {"http://host1/feed.rss", nullptr, "application/x-marrowick-feed", "feed.rss", ".rss"},
        {"http://host1/feed", nullptr, "application/x-marrowick-none", "feed", nullptr},
        {"http://host1/feed", nullptr, "application/x-marrowick-nodot", "feed", nullptr},
        {"http://host1/feed", nullptr, "application/x-marrowick-dword", "feed", nullptr},
        {"http://host1/feed", nullptr, "application/x-marrowick-long", "feed", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Url);
        char url[URL_TEXT_SIZE];
        lstrcpyA(url, c.Url);
        int icon = -2;
        EXPECT_STREQ(MakeLocalFileName(url, sizeof(url), c.Attachment, c.MediaType, &icon), c.Name);
        if (c.Extension) {
            EXPECT_EQ(icon, CachedIcon(c.Extension));
        } else {
            EXPECT_NE(DefaultFileIcon, -1);
            EXPECT_EQ(icon, DefaultFileIcon);
        }
        EXPECT_GE(icon, 0);
    }
}

TEST_F(FileNameTest, IconCacheIgnoresCaseAndHoldsTenExtensions)
{
    GetExtensionIcon(".png");
    ASSERT_EQ(IconCache.Count, 1);
    IconCache.Entries[0].IconIndex = 4242;  // only a cache hit can answer this
    EXPECT_EQ(GetExtensionIcon(".PNG"), 4242);
    EXPECT_EQ(IconCache.Count, 1);

    const char *extensions[] = {".e1", ".e2", ".e3", ".e4", ".e5", ".e6", ".e7", ".e8", ".e9"};
    for (const char *e : extensions)
        GetExtensionIcon(e);
    ASSERT_EQ(IconCache.Count, ICON_CACHE_SIZE);
    for (int i = 0; i < ICON_CACHE_SIZE; i++)
        IconCache.Entries[i].IconIndex = 5000 + i;
    for (int round = 0; round < 2; round++) {
        int zip = GetExtensionIcon(".zip");  // asked of the shell every time
        EXPECT_GE(zip, 0);
        EXPECT_LT(zip, 5000);
        EXPECT_EQ(IconCache.Count, ICON_CACHE_SIZE);
        EXPECT_EQ(CachedIcon(".zip"), -1);
    }
    EXPECT_EQ(GetExtensionIcon(".E5"), 5005);
    EXPECT_EQ(lstrcmpA(IconCache.Entries[0].Extension, ".png"), 0);  // kept in the order met
}

TEST_F(FileNameTest, OverlongExtensionIsNeverStored)
{
    EXPECT_GE(GetExtensionIcon(".abcdefghijklmnop"), 0);  // 17 characters
    EXPECT_EQ(IconCache.Count, 0);
    GetExtensionIcon(".abcdefghijklmn");  // 15 characters: fits
    ASSERT_EQ(IconCache.Count, 1);
    EXPECT_STREQ(IconCache.Entries[0].Extension, ".abcdefghijklmn");
}

TEST_F(FileNameTest, DefaultFileIconIsAskedOnce)
{
    char url[URL_TEXT_SIZE] = "http://host1/a";
    int icon = -2;
    MakeLocalFileName(url, sizeof(url), nullptr, nullptr, &icon);
    ASSERT_NE(DefaultFileIcon, -1);
    EXPECT_EQ(icon, DefaultFileIcon);
    DefaultFileIcon = 777;  // a second shell query would replace it
    lstrcpyA(url, "http://host1/b/");
    MakeLocalFileName(url, sizeof(url), nullptr, nullptr, &icon);
    EXPECT_EQ(icon, 777);
}

// A URL of 1,023 characters leaves no room behind its name: the name must
// still come out whole, and nothing may be written past the working copy.
TEST_F(FileNameTest, FullWorkingCopyNeverOverflows)
{
    std::string longName(1023 - 13, 'f');
    std::string attachment = std::string(95, 'a') + ".pdf";
    const struct { std::string Url; const char *Attachment, *MediaType; std::string Name; } cases[] = {
        {"http://host1/" + longName, nullptr, "application/x-marrowick-feed", longName + ".xml"},
        {"http://host1/" + longName, attachment.c_str(), nullptr, attachment},
        {"http://host1/" + longName.substr(4) + "/get", attachment.c_str(), nullptr, attachment},
        {"http://host1/" + longName.substr(2) + "/x", "y", "application/x-marrowick-feed", "y.xml"},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(c.Url.size(), 1023u);
        struct { char Url[URL_TEXT_SIZE]; char Guard[32]; } buffer;
        memset(buffer.Guard, 'G', sizeof(buffer.Guard));
        lstrcpyA(buffer.Url, c.Url.c_str());
        int icon;
        const char *name = MakeLocalFileName(buffer.Url, sizeof(buffer.Url), c.Attachment, c.MediaType, &icon);
        EXPECT_EQ(name, c.Name);
        EXPECT_GE(name, buffer.Url);
        EXPECT_LT(name + strlen(name), buffer.Url + sizeof(buffer.Url));
        EXPECT_EQ(std::string(buffer.Guard, sizeof(buffer.Guard)), std::string(sizeof(buffer.Guard), 'G'));
    }
}

TEST_F(FileNameTest, ReadRegistryString)
{
    HKEY key;
    const char *sub = "Software\\MarrowickTest";
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sub, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL), ERROR_SUCCESS);
    DWORD number = 7;
    RegSetValueExA(key, "sz", 0, REG_SZ, (const BYTE *)".xml", 5);
    RegSetValueExA(key, "long", 0, REG_SZ, (const BYTE *)"abcdefghijklmnopqrstuvwxyz", 27);
    RegSetValueExA(key, "dword", 0, REG_DWORD, (const BYTE *)&number, sizeof(number));
    RegSetValueExA(key, "noterm", 0, REG_SZ, (const BYTE *)"abcd", 4);
    RegCloseKey(key);

    const struct { const char *SubKey, *Value; DWORD Size; int Result; const char *Text; } cases[] = {
        {sub, "sz", 16, 1, ".xml"},
        {sub, "noterm", 16, 1, "abcd"},
        {sub, "long", 16, 0, nullptr},
        {sub, "dword", 16, 0, nullptr},
        {sub, "missing", 16, 0, nullptr},
        {"Software\\MarrowickTestMissing", "sz", 16, 0, "keep"},  // key absent: buffer untouched
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Value);
        char buffer[16] = "keep";
        EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, c.SubKey, c.Value, buffer, c.Size), c.Result);
        if (c.Text) {
            EXPECT_STREQ(buffer, c.Text);
        }
        EXPECT_LT(strnlen(buffer, sizeof(buffer)), sizeof(buffer));  // always terminated inside
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, sub);
}
