#include "CWexArchive.h"
#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "Cp1250.h"
#include "TextConvert.h"

#include "CatalogTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// The largest single allocation made while this flag is set: proves that absurd lengths in
// the data are refused before anything is allocated for them.
namespace {
std::atomic<bool> g_tracking{false};
std::atomic<std::size_t> g_largest{0};
} // namespace

// Never inlined: every allocation and release goes through these symbols, so that a memory
// checker that replaces them (Valgrind) replaces both sides alike.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    if (g_tracking && size > g_largest) g_largest = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using Cause = CWexFileError::Cause;
using catalog_format::TextForm;

Bytes Store(auto&& write)
{
    Bytes bytes;
    MemorySink sink(bytes);
    CWexArchive ar(sink);
    write(ar);
    ar.Close();
    return bytes;
}

Cause ReadFailure(const Bytes& bytes, auto&& read)
{
    MemorySource source(bytes);
    CWexArchive ar(source);
    try {
        read(ar);
    } catch (const CWexFileError& e) {
        return e.GetCause();
    }
    ADD_FAILURE() << "no file error";
    return Cause::OpenFailed;
}

TEST(Archive, PrimitivesAreLittleEndianAndSignExtended)
{
    Bytes bytes = Store([](CWexArchive& ar) {
        ar.WriteByte(0xAB);
        ar.WriteBool(true);
        ar.WriteBool(false);
        ar.WriteUInt16(0x12345);   // only the low 16 bits
        ar.WriteInt16(-1);
        ar.WriteInt32(-2);
        ar.WriteUInt64(0x0102030405060708ull);
        ar.WriteFloat(0.01f);
    });
    EXPECT_EQ(bytes, (Bytes{0xAB, 1, 0, 0x45, 0x23, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 8, 7, 6, 5, 4, 3, 2, 1,
                            0x0A, 0xD7, 0x23, 0x3C}));

    bytes[2] = 7; // any byte but 0 reads as true
    MemorySource source(bytes);
    CWexArchive ar(source);
    EXPECT_EQ(ar.ReadByte(), 0xAB);
    EXPECT_TRUE(ar.ReadBool());
    EXPECT_TRUE(ar.ReadBool());
    EXPECT_EQ(ar.ReadUInt16(), 0x2345);
    EXPECT_EQ(ar.ReadInt16(), -1);
    EXPECT_EQ(ar.ReadInt32(), -2);
    EXPECT_EQ(ar.ReadUInt64(), 0x0102030405060708ull);
    EXPECT_EQ(ar.ReadFloat(), 0.01f);
    EXPECT_EQ(ar.Remaining(), 0u);
}

TEST(Archive, EveryStringLengthFormRoundTrips)
{
    struct Case {
        std::size_t length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, {0xFF, 0xFE, 0xFF, 0x00}},
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {0x12345, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        std::u16string text(c.length, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(u'a' + i % 26 + (i % 7) * 0x100);
        // Two strings, so the second one starts somewhere inside the 4096-byte buffer.
        Bytes bytes = Store([&](CWexArchive& ar) {
            ar.WriteString(text);
            ar.WriteString(u"Kanalizační potrubí");
        });
        ASSERT_EQ(bytes.size(), c.prefix.size() + 2 * c.length + 4 + 2 * 19) << c.length;
        EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), bytes.begin())) << c.length;
        MemorySource source(bytes);
        CWexArchive ar(source);
        EXPECT_EQ(ar.ReadString(), text) << c.length;
        EXPECT_EQ(ar.ReadString(), u"Kanalizační potrubí") << c.length;
    }
}

TEST(Archive, SixtyFourBitLengthFormIsRead)
{
    const Bytes bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 0, 0, 0, 0,
                      'a', 0, 'b', 0, 'c', 0};
    MemorySource source(bytes);
    CWexArchive ar(source);
    EXPECT_EQ(ar.ReadString(), u"abc");
}

TEST(Archive, EightBitStringIsReadAsWindows1250)
{
    // "Žluťoučký kůň" in Windows-1250, length 13 in one byte, no UTF-16 mark.
    const Bytes bytes{13, 0x8E, 'l', 'u', 0x9D, 'o', 'u', 0xE8, 'k', 0xFD, ' ', 'k', 0xF9, 0xF2};
    MemorySource source(bytes);
    CWexArchive ar(source);
    EXPECT_EQ(ar.ReadString(), u"Žluťoučký kůň");

    // The 8-bit form with a 16-bit length.
    Bytes longer{0xFF, 0x00, 0x01};
    longer.resize(3 + 256, 0x9A); // š
    MemorySource longSource(longer);
    CWexArchive longAr(longSource);
    EXPECT_EQ(longAr.ReadString(), std::u16string(256, u'š'));
}

TEST(Archive, AbsurdStringLengthsAreRefusedBeforeAnyAllocation)
{
    const Bytes forms[] = {
        // 32-bit form: 0xFFFFFFFE UTF-16 units in a 14-byte stream.
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 'A', 0, 'B', 0},
        // 64-bit form: 2^62 units, and the largest length of all (its byte count overflows).
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x40},
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
        // 8-bit form, 16-bit length 0xFFFD with two bytes left.
        {0xFF, 0xFD, 0xFF, 'a', 'b'},
    };
    for (const Bytes& bytes : forms) {
        g_largest = 0;
        g_tracking = true;
        Cause cause = ReadFailure(bytes, [](CWexArchive& ar) { ar.ReadString(); });
        g_tracking = false;
        EXPECT_EQ(cause, Cause::EndOfFile);
        EXPECT_LT(g_largest.load(), 4096u);
    }
}

TEST(Archive, StringAsLongAsTheDataLeftIsReadAndOneUnitMoreIsEndOfFile)
{
    Bytes bytes{0xFF, 0xFE, 0xFF, 3, 'x', 0, 'y', 0, 'z', 0};
    MemorySource source(bytes);
    CWexArchive ar(source);
    EXPECT_EQ(ar.ReadString(), u"xyz");

    bytes[3] = 4;
    EXPECT_EQ(ReadFailure(bytes, [](CWexArchive& a) { a.ReadString(); }), Cause::EndOfFile);
}

TEST(Archive, DataEndingInsideAValueIsEndOfFile)
{
    EXPECT_EQ(ReadFailure({1, 2, 3}, [](CWexArchive& ar) { ar.ReadUInt32(); }), Cause::EndOfFile);
    EXPECT_EQ(ReadFailure({}, [](CWexArchive& ar) { ar.ReadByte(); }), Cause::EndOfFile);
    EXPECT_EQ(ReadFailure({1, 2}, [](CWexArchive& ar) { ar.Skip(4); }), Cause::EndOfFile);
}

TEST(Archive, AccessInTheWrongDirectionFails)
{
    EXPECT_EQ(ReadFailure({}, [](CWexArchive&) {
                  Bytes out;
                  MemorySink sink(out);
                  CWexArchive storing(sink);
                  storing.ReadByte();
              }),
              Cause::WrongDirection);
    MemorySource source(Bytes{1});
    CWexArchive loading(source);
    try {
        loading.WriteByte(1);
        FAIL();
    } catch (const CWexFileError& e) {
        EXPECT_EQ(e.GetCause(), Cause::WrongDirection);
    }
}

TEST(Archive, TerminatedTextFieldTakesNUnitsAndRefusesOneMore)
{
    char16_t code[11];
    Bytes ten = Store([](CWexArchive& ar) { ar.WriteTextField(u"0123456789", 10); });
    ASSERT_EQ(ten.size(), 22u);
    MemorySource source(ten);
    CWexArchive ar(source);
    ar.ReadTextField(code, 11, 10, TextForm::Terminated);
    EXPECT_EQ(std::u16string(code), u"0123456789");

    Bytes eleven;
    for (char c : std::string("01234567890")) eleven.insert(eleven.end(), {static_cast<std::uint8_t>(c), 0});
    MemorySource elevenSource(eleven);
    CWexArchive elevenAr(elevenSource);
    try {
        elevenAr.ReadTextField(code, 11, 10, TextForm::Terminated);
        FAIL();
    } catch (const CWexException& e) {
        EXPECT_STREQ(e.what(), "Načítaný řetězec není ukončen nulou, Line 657, \n_Spolecny/CWexFunkce");
    }
}

TEST(Archive, WritingCutsAtTheLimitAndFixedFieldsAreTakenWhole)
{
    Bytes bytes = Store([](CWexArchive& ar) { ar.WriteTextField(u"ABCDEFG", 4); });
    EXPECT_EQ(bytes, (Bytes{'A', 0, 'B', 0, 'C', 0, 'D', 0, 0, 0}));

    // Fixed form, n = 4: five units; the text ends at the first 0, the rest is skipped.
    char16_t affix[5];
    Bytes fixed{'D', 0, 'A', 0, 0, 0, 'Z', 0, 'Z', 0, 0x42, 0};
    MemorySource source(fixed);
    CWexArchive ar(source);
    ar.ReadTextField(affix, 5, 4, TextForm::Fixed);
    EXPECT_EQ(std::u16string(affix), u"DA");
    EXPECT_EQ(ar.ReadByte(), 0x42);

    // A fixed field without any 0 is cut so that the field in memory stays terminated.
    Bytes full{'a', 0, 'b', 0, 'c', 0, 'd', 0, 'e', 0};
    MemorySource fullSource(full);
    CWexArchive fullAr(fullSource);
    fullAr.ReadTextField(affix, 5, 4, TextForm::Fixed);
    EXPECT_EQ(std::u16string(affix), u"abcd");
}

TEST(Archive, NothingReachesTheSinkBeforeTheBufferFillsOrClose)
{
    Bytes bytes;
    MemorySink sink(bytes);
    {
        CWexArchive ar(sink);
        for (int i = 0; i < 4095; ++i) ar.WriteByte(1);
        EXPECT_TRUE(bytes.empty());
        ar.WriteByte(2);
        ar.WriteByte(3);
        EXPECT_EQ(bytes.size(), 4096u);
        // Destroyed without Close: the last byte is not written.
    }
    EXPECT_EQ(bytes.size(), 4096u);
    EXPECT_EQ(bytes.back(), 2);
}

} // namespace
