#include "RegFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using regfile::Document;
using regfile::Value;

const char16_t* const kKey = u"HKEY_LOCAL_MACHINE\\Software\\Brevanti";

// A text as regedit writes it: UTF-16LE with a BOM.
std::string Utf16LeWithBom(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

std::u16string StringOf(const Value* value)
{
    std::u16string text;
    if (!value) return text;
    for (std::size_t i = 0; i + 1 < value->data.size(); i += 2) {
        auto c = static_cast<char16_t>(value->data[i] | (value->data[i + 1] << 8));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

} // namespace

TEST(RegFile, ReadsRegeditExportInUtf16WithCrLf)
{
    std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                          u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brevanti]\r\n"
                          u"\"CommonDataPath\"=\"C:\\\\ProgramData\\\\Brevanti \\\"Žluťoučký\\\"\\\\\"\r\n"
                          u"@=\"default\"\r\n";
    Document doc = Document::Parse(Utf16LeWithBom(text));
    ASSERT_TRUE(doc.HasHeader());
    // Key and value names do not depend on case; the data keeps its escapes resolved.
    const Value* value = doc.Find(u"hkey_local_machine\\software\\brevanti\\", u"COMMONDATAPATH");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, regfile::kTypeString);
    EXPECT_EQ(StringOf(value), u"C:\\ProgramData\\Brevanti \"Žluťoučký\"\\");
    // The string's data ends with its terminator, as the registry stores it.
    EXPECT_EQ(value->data.size(), (StringOf(value).size() + 1) * 2);
    EXPECT_EQ(StringOf(doc.Find(kKey, u"")), u"default");
}

TEST(RegFile, ReadsUtf8WithOrWithoutBomAndAnyLineEnd)
{
    for (std::string bom : {"", "\xEF\xBB\xBF"}) {
        for (std::string eol : {"\n", "\r\n", "\r"}) {
            std::string file = bom + "Windows Registry Editor Version 5.00" + eol + eol + "; installer" + eol +
                               "[HKLM\\Software\\Brevanti]" + eol + "  \"CommonInstallPath\" = \"/opt/čáp\"  ; note" +
                               eol + "\"Last\"=\"x\"";
            Document doc = Document::Parse(file);
            EXPECT_EQ(StringOf(doc.Find(kKey, u"CommonInstallPath")), u"/opt/čáp") << eol.size();
            EXPECT_EQ(StringOf(doc.Find(kKey, u"Last")), u"x");
        }
    }
}

TEST(RegFile, TypesOtherThanPlainStringKeepTheirTypeAndBytes)
{
    std::string file = "Windows Registry Editor Version 5.00\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Brevanti]\n"
                       "\"Expand\"=hex(2):25,00,41,00,\\\n"
                       "  ; a comment between continuation lines\n"
                       "  25,00,00,00\n"
                       "\"Number\"=dword:0000012c\n"
                       "\"Raw\"=hex:01,ff\n"
                       "\"HexString\"=hex(1):41,00,42,00\n"
                       "\"After\"=\"still read\"\n";
    Document doc = Document::Parse(file);
    const Value* expand = doc.Find(kKey, u"Expand");
    ASSERT_NE(expand, nullptr);
    EXPECT_EQ(expand->type, regfile::kTypeExpandString);
    EXPECT_EQ(expand->data, (std::vector<std::uint8_t>{0x25, 0, 0x41, 0, 0x25, 0, 0, 0}));
    const Value* number = doc.Find(kKey, u"Number");
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->type, regfile::kTypeDword);
    EXPECT_EQ(number->data, (std::vector<std::uint8_t>{0x2c, 0x01, 0, 0}));
    EXPECT_EQ(doc.Find(kKey, u"Raw")->type, regfile::kTypeBinary);
    EXPECT_EQ(doc.Find(kKey, u"HexString")->type, regfile::kTypeString);
    EXPECT_EQ(StringOf(doc.Find(kKey, u"HexString")), u"AB");
    EXPECT_EQ(StringOf(doc.Find(kKey, u"After")), u"still read");
}

TEST(RegFile, MalformedLinesAreSkippedAndTheRestIsRead)
{
    std::string file = "Windows Registry Editor Version 5.00\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Brevanti]\n"
                       "\"Open\"=\"never closed\n"
                       "\"Trailing\"=\"x\" junk\n"
                       "\"BadHex\"=hex:1g,00\n"
                       "\"BadDword\"=dword:123456789\n"
                       "\"NoEquals\" \"x\"\n"
                       "garbage line\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Brevanti\n"
                       "\"Good\"=\"yes\"\n";
    Document doc = Document::Parse(file);
    for (const char16_t* name : {u"Open", u"Trailing", u"BadHex", u"BadDword", u"NoEquals"})
        EXPECT_EQ(doc.Find(kKey, name), nullptr);
    // The unclosed section header closes the previous section: its values belong nowhere.
    EXPECT_EQ(doc.Find(kKey, u"Good"), nullptr);
}

TEST(RegFile, WithoutHeaderNothingIsRead)
{
    Document doc = Document::Parse("[HKEY_LOCAL_MACHINE\\Software\\Brevanti]\n\"A\"=\"b\"\n");
    EXPECT_FALSE(doc.HasHeader());
    EXPECT_EQ(doc.Find(kKey, u"A"), nullptr);
    EXPECT_FALSE(Document::Parse("").HasHeader());
    EXPECT_FALSE(Document::Parse("\xFF\xFE").HasHeader());
}

TEST(RegFile, DeletionsAndRepeatedValues)
{
    std::string file = "REGEDIT4\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Brevanti]\n"
                       "\"A\"=\"first\"\n\"B\"=\"kept\"\n\"C\"=\"gone\"\n"
                       "[-HKEY_LOCAL_MACHINE\\Software\\Brevanti]\n"
                       "\"B\"=\"in a deleted key\"\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Brevanti\\]\n"
                       "\"A\"=\"second\"\n\"C\"=-\n";
    Document doc = Document::Parse(file);
    EXPECT_EQ(StringOf(doc.Find(kKey, u"A")), u"second");
    EXPECT_EQ(StringOf(doc.Find(kKey, u"B")), u"kept");
    EXPECT_EQ(doc.Find(kKey, u"C"), nullptr);
}

TEST(RegFile, KeysAreMatchedWhole)
{
    std::string file = "Windows Registry Editor Version 5.00\n"
                       "[HKEY_CURRENT_USER\\Software\\Brevanti]\n\"A\"=\"user\"\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Brevanti\\Sub]\n\"A\"=\"sub\"\n";
    Document doc = Document::Parse(file);
    EXPECT_EQ(doc.Find(kKey, u"A"), nullptr);
    EXPECT_EQ(StringOf(doc.Find(u"HKCU\\Software\\Brevanti\\", u"A")), u"user");
    EXPECT_EQ(regfile::NormalizeKeyPath(u"\\HKLM\\Software\\"), u"hkey_local_machine\\software");
}
