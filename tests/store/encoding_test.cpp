// Files in UTF-16 and Windows-1252: read into UTF-8 and written back as they came.
#include "store/read/TextEncoding.h"
#include "tests/store/StoreFixture.h"

namespace {

class Encoding : public StoreTest {};

// "a,b\r\n1,2\r\n" in UTF-16 of either byte order, without a mark.
std::string utf16WithoutMark(bool bigEndian)
{
    std::string bytes;
    for (char c : std::string("a,b\r\n1,2\r\n"))
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

} // namespace

TEST_F(Encoding, Utf16WithMarkReadsAndWritesBack)
{
    for (const bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        const std::string bytes =
            utf16WithMark(bigEndian, u"name,city\r\nM\u00fcller,Z\u00fcrich \u20ac\r\n\U0001D11E,x\r\n");
        CSVDBS s;
        s.FileName(m_dir.file("in.csv", bytes));
        ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
        EXPECT_EQ(s.Encoding(), bigEndian ? FileEncoding::Utf16BE : FileEncoding::Utf16LE);
        EXPECT_EQ(rowsOf(s), (Rows{{"M\xC3\xBCller", "Z\xC3\xBCrich \xE2\x82\xAC"}, {"\xF0\x9D\x84\x9E", "x"}}));
        ASSERT_TRUE(s.WriteFile()) << s.LastFileError();
        EXPECT_EQ(readFile(s.FileName()), bytes);
    }
}

// Without a mark the bytes stay as they are, NULs and all; a load that fails
// so says what the file looks like, under either rule.
TEST_F(Encoding, Utf16WithoutMarkIsReadAsBytesAndNamedWhenItFails)
{
    const std::string why = " without a byte-order mark (every other byte is zero), and UTF-16 is read only with "
                            "its mark. Read as bytes: ";
    const struct {
        const char* label;
        std::string bytes;
        bool standard;
        std::string error;
    } cases[] = {
        {"little-endian", utf16WithoutMark(false), false,
         "The file looks like UTF-16 (little-endian)" + why + "Line 3 has fewer values than there are fields."},
        {"big-endian, standard rule", utf16WithoutMark(true), true,
         "The file looks like UTF-16 (big-endian)" + why + "Line 2 has fewer values than there are fields."},
        {"zero bytes on both sides are no UTF-16", "a,b\r\n" + std::string(2000, '\0') + "\r\n", false,
         "Line 2 has fewer values than there are fields."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CSVDBS s;
        s.HeaderLine(false);
        s.StandardQuoting(c.standard);
        s.FileName(m_dir.file("in.csv", c.bytes));
        EXPECT_FALSE(s.LoadFile());
        EXPECT_EQ(s.LastFileError(), c.error);
        EXPECT_EQ(s.LastLoad().looksUtf16, c.error.find("UTF-16") != std::string::npos);
        EXPECT_FALSE(s.LastLoad().notUtf8); // NUL is valid UTF-8
    }
    // Without a final line break it loads, as bytes.
    load(utf16WithoutMark(false).substr(0, 16), false);
    EXPECT_TRUE(m_store.LastLoad().looksUtf16);
    EXPECT_EQ(m_store.Encoding(), FileEncoding::Utf8);
    EXPECT_EQ(m_store.ValueAt(1, 1), std::string("a\0", 2));
}

TEST_F(Encoding, Windows1252RoundTripsEveryByte)
{
    // Every byte from 0x80 up, the five undefined ones included, in one value.
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += static_cast<char>(b);
    const std::string bytes = "name,note\r\nM\xFCller," + high + "\r\n";
    CSVDBS s;
    s.FileName(m_dir.file("in.csv", bytes));
    ASSERT_TRUE(s.LoadFile());
    EXPECT_TRUE(s.LastLoad().notUtf8);
    EXPECT_EQ(s.ValueAt(1, 1), "M\xFCller"); // kept as bytes when read as UTF-8

    s.Encoding(FileEncoding::Windows1252);
    ASSERT_TRUE(s.LoadFile()) << s.LastFileError();
    EXPECT_FALSE(s.LastLoad().notUtf8);
    EXPECT_EQ(s.ValueAt(1, 1), "M\xC3\xBCller");
    EXPECT_EQ(std::string(s.ValueAt(1, 2)).substr(0, 6), "\xE2\x82\xAC\xC2\x81\xE2"); // euro, U+0081, then U+201A
    ASSERT_TRUE(s.WriteFile()) << s.LastFileError();
    EXPECT_EQ(readFile(s.FileName()), bytes);

    // Valid UTF-8 is not questioned; with a mark, no byte is.
    for (const std::string text : {"a\r\n1\r\n", "a\r\nM\xC3\xBCller\r\n", "\xEF\xBB\xBF" "a\r\n\xFF\r\n"}) {
        CSVDBS valid;
        valid.FileName(m_dir.file("valid.csv", text));
        ASSERT_TRUE(valid.LoadFile());
        EXPECT_FALSE(valid.LastLoad().notUtf8) << text;
    }
}

TEST_F(Encoding, Windows1252SaveRefusesWhatItCannotHold)
{
    CSVDBS s;
    s.Encoding(FileEncoding::Windows1252);
    s.FileName(m_dir.file("in.csv", "name\r\nAnn\r\nBob\r\n"));
    ASSERT_TRUE(s.LoadFile());
    s.PutValue(2, 1, "\xCE\xA9mega"); // Greek capital omega
    EXPECT_FALSE(s.WriteFile());
    EXPECT_EQ(s.LastFileError(),
              "The value \"\xCE\xA9mega\" (record 2, field 1) holds \"\xCE\xA9\", which the file's encoding, "
              "Western (Windows-1252), cannot hold. Nothing was saved.");
    EXPECT_EQ(readFile(s.FileName()), "name\r\nAnn\r\nBob\r\n");
    EXPECT_TRUE(s.ChangesMade());
}

// A large text is checked in two halves cut before a character's first byte:
// a character across the middle, or a fault in either half or at the cut,
// must be judged as a check from front to back judges it.
TEST_F(Encoding, LargeTextIsCheckedInHalvesAsAWhole)
{
    const std::size_t size = std::size_t{20} << 20;
    const std::size_t middle = size / 2;
    std::string text(size, 'a');
    const auto judged = [&](std::size_t at, std::string_view bytes) {
        std::string t = text;
        t.replace(at, bytes.size(), bytes);
        return isValidUtf8(t.data(), t.size());
    };
    for (std::size_t at : {middle - 3, middle - 2, middle - 1, middle, middle + 1}) {
        EXPECT_TRUE(judged(at, "\xF0\x9F\x98\x80")) << at;   // four bytes, valid
        EXPECT_FALSE(judged(at, "\xF0\x9F\x98")) << at;      // cut short
        EXPECT_FALSE(judged(at, "\x80\x80\x80\x80\x80")) << at; // continuations only
    }
    EXPECT_FALSE(judged(5, "\xFF"));
    EXPECT_FALSE(judged(size - 1, "\xC3"));
    EXPECT_TRUE(judged(size - 2, "\xC3\xBC"));
}
