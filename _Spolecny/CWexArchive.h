#pragma once
// The buffered archive through which the records read and write themselves: either loading
// (from a ByteSource) or storing (to a ByteSink), never both. It reproduces the byte format of
// CatalogFormat.h exactly and adds nothing of its own to the stream.
//
// It never trusts a length read from the data: a string longer than the bytes left is an
// end-of-file failure raised before anything is allocated.

#include "CatalogFormat.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Where a loading archive takes its bytes from.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes into `dest`; returns how many, 0 only at the end of the data.
    // Throws CWexFileError when the system refuses the read.
    virtual std::size_t Read(std::uint8_t* dest, std::size_t size) = 0;
    // The bytes not yet delivered by Read.
    virtual std::uint64_t Remaining() const = 0;
};

// Where a storing archive puts its bytes. Throws CWexFileError when the system refuses.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void Write(const std::uint8_t* data, std::size_t size) = 0;
};

// Bytes in memory (tests, fuzzers, a host's project archive held in memory).
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::size_t Read(std::uint8_t* dest, std::size_t size) override;
    std::uint64_t Remaining() const override { return m_bytes.size() - m_position; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

class MemorySink : public ByteSink {
public:
    explicit MemorySink(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    void Write(const std::uint8_t* data, std::size_t size) override;

private:
    std::vector<std::uint8_t>& m_bytes;
};

class CWexArchive {
public:
    static constexpr std::size_t kBufferSize = catalog_format::kArchiveBufferSize;

    // A loading archive. `name` only names the data in failures (a file path, or empty).
    explicit CWexArchive(ByteSource& source, std::filesystem::path name = {});
    // A storing archive. Nothing reaches the sink before the buffer fills or Close is called.
    explicit CWexArchive(ByteSink& sink, std::filesystem::path name = {});
    // Does not flush: an archive abandoned by a failure writes nothing more.
    ~CWexArchive() = default;

    CWexArchive(const CWexArchive&) = delete;
    CWexArchive& operator=(const CWexArchive&) = delete;

    bool IsLoading() const { return m_source != nullptr; }
    bool IsStoring() const { return m_sink != nullptr; }
    const std::filesystem::path& Name() const { return m_name; }

    // Storing: hands the buffered bytes to the sink. Loading: nothing.
    void Flush();
    void Close() { Flush(); }

    // Loading: the bytes not read yet (buffered and still in the source).
    std::uint64_t Remaining() const;

    // The material record version a storing archive writes (6 unless told otherwise; 5 only
    // for readers that stop at 5, at the price of the drawing name).
    void SetMaterialVersion(int version) { m_materialVersion = version; }
    int MaterialVersion() const { return m_materialVersion; }

    // Primitives. Reading past the end throws CWexFileError (EndOfFile); an access in the
    // wrong direction throws CWexFileError (WrongDirection).
    std::uint8_t ReadByte() { return *Take(1); }
    bool ReadBool() { return ReadByte() != 0; }
    std::int32_t ReadInt16();
    std::uint16_t ReadUInt16();
    std::int32_t ReadInt32();
    std::uint32_t ReadUInt32();
    std::uint64_t ReadUInt64();
    float ReadFloat();
    void Skip(std::size_t count);

    void WriteByte(std::uint8_t value) { Put(&value, 1); }
    void WriteBool(bool value) { WriteByte(value ? 1 : 0); }
    void WriteUInt16(std::uint32_t value); // the low 16 bits
    void WriteInt16(std::int32_t value) { WriteUInt16(static_cast<std::uint32_t>(value)); }
    void WriteInt32(std::int32_t value);
    void WriteUInt32(std::uint32_t value);
    void WriteUInt64(std::uint64_t value);
    void WriteFloat(float value);

    // Archive strings: read in both forms (UTF-16, or 8-bit Windows-1250), written as UTF-16.
    std::u16string ReadString();
    void WriteString(std::u16string_view text);

    // Text fields with limit n into `dest` of `destUnits` units (normally n + 1); the stored
    // text is cut to destUnits - 1 units so that `dest` always ends with a 0 unit.
    // Terminated form: throws CWexException "Načítaný řetězec není ukončen nulou" when no 0
    // unit comes within n + 1 units. Fixed form: exactly n + 1 units.
    void ReadTextField(char16_t* dest, std::size_t destUnits, std::size_t n, catalog_format::TextForm form);
    // Terminated form: at most n units of `text` (up to its first 0), then a 0 unit.
    void WriteTextField(const char16_t* text, std::size_t n);

private:
    // Fast path: a pointer to `count` buffered bytes (count <= kBufferSize).
    const std::uint8_t* Take(std::size_t count)
    {
        if (m_end - m_position >= count) {
            const std::uint8_t* p = m_buffer + m_position;
            m_position += count;
            return p;
        }
        return TakeSlow(count);
    }
    const std::uint8_t* TakeSlow(std::size_t count);
    void ReadBytes(std::uint8_t* dest, std::size_t count);
    // Fast path: into the buffer while it has room (a storing archive only).
    void Put(const std::uint8_t* data, std::size_t count)
    {
        if (m_sink && kBufferSize - m_position >= count) {
            for (std::size_t i = 0; i < count; ++i) m_buffer[m_position + i] = data[i];
            m_position += count;
            return;
        }
        PutSlow(data, count);
    }
    void PutSlow(const std::uint8_t* data, std::size_t count);

    // The checked reader: lengths from the data are measured against what is left.
    std::uint64_t ReadStringLength(std::size_t& unitSize);
    std::size_t CheckedByteCount(std::uint64_t units, std::size_t unitSize) const;

    [[noreturn]] void EndOfData() const;
    [[noreturn]] void WrongDirection() const;

    ByteSource* m_source = nullptr;
    ByteSink* m_sink = nullptr;
    std::filesystem::path m_name;
    std::uint8_t m_buffer[kBufferSize];
    std::size_t m_position = 0; // loading: next byte to read; storing: bytes buffered
    std::size_t m_end = 0;      // loading: bytes in the buffer
    int m_materialVersion = catalog_format::kMaterialVersion;
};
