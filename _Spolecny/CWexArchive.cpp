#include "CWexArchive.h"

#include "CWexFileError.h"
#include "CWexFunkce.h"
#include "Cp1250.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace {

// The shared-functions unit has always been the source of this message.
const char* const kTextFieldSource = "_Spolecny/CWexFunkce";
constexpr int kUnterminatedLine = 657;

std::uint16_t Le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace

std::size_t MemorySource::Read(std::uint8_t* dest, std::size_t size)
{
    std::size_t count = std::min(size, m_bytes.size() - m_position);
    if (count) std::memcpy(dest, m_bytes.data() + m_position, count);
    m_position += count;
    return count;
}

void MemorySink::Write(const std::uint8_t* data, std::size_t size)
{
    m_bytes.insert(m_bytes.end(), data, data + size);
}

CWexArchive::CWexArchive(ByteSource& source, std::filesystem::path name) : m_source(&source), m_name(std::move(name))
{
}

CWexArchive::CWexArchive(ByteSink& sink, std::filesystem::path name) : m_sink(&sink), m_name(std::move(name)) {}

void CWexArchive::EndOfData() const
{
    throw CWexFileError(CWexFileError::Cause::EndOfFile, m_name);
}

void CWexArchive::WrongDirection() const
{
    throw CWexFileError(CWexFileError::Cause::WrongDirection, m_name);
}

std::uint64_t CWexArchive::Remaining() const
{
    if (!m_source) return 0;
    return (m_end - m_position) + m_source->Remaining();
}

const std::uint8_t* CWexArchive::TakeSlow(std::size_t count)
{
    if (!m_source) WrongDirection();
    // Keep the unread tail, then fill the rest of the buffer.
    std::size_t left = m_end - m_position;
    std::memmove(m_buffer, m_buffer + m_position, left);
    m_position = 0;
    m_end = left;
    while (m_end < count) {
        std::size_t got = m_source->Read(m_buffer + m_end, kBufferSize - m_end);
        if (got == 0) EndOfData();
        m_end += got;
    }
    m_position = count;
    return m_buffer;
}

void CWexArchive::ReadBytes(std::uint8_t* dest, std::size_t count)
{
    if (!m_source) WrongDirection();
    if (count == 0) return;
    std::size_t buffered = std::min(count, m_end - m_position);
    std::memcpy(dest, m_buffer + m_position, buffered);
    m_position += buffered;
    dest += buffered;
    count -= buffered;
    // Large blocks go straight from the source; the buffer is empty here when count > 0.
    while (count > 0) {
        std::size_t got = m_source->Read(dest, count);
        if (got == 0) EndOfData();
        dest += got;
        count -= got;
    }
}

void CWexArchive::Skip(std::size_t count)
{
    while (count > 0) {
        std::size_t step = std::min(count, kBufferSize);
        Take(step);
        count -= step;
    }
}

std::int32_t CWexArchive::ReadInt16()
{
    return static_cast<std::int16_t>(Le16(Take(2)));
}

std::uint16_t CWexArchive::ReadUInt16()
{
    return Le16(Take(2));
}

std::int32_t CWexArchive::ReadInt32()
{
    return static_cast<std::int32_t>(Le32(Take(4)));
}

std::uint32_t CWexArchive::ReadUInt32()
{
    return Le32(Take(4));
}

std::uint64_t CWexArchive::ReadUInt64()
{
    const std::uint8_t* p = Take(8);
    return static_cast<std::uint64_t>(Le32(p)) | (static_cast<std::uint64_t>(Le32(p + 4)) << 32);
}

float CWexArchive::ReadFloat()
{
    return std::bit_cast<float>(ReadUInt32());
}

void CWexArchive::PutSlow(const std::uint8_t* data, std::size_t count)
{
    if (!m_sink) WrongDirection();
    while (count > 0) {
        if (m_position == kBufferSize) Flush();
        std::size_t step = std::min(count, kBufferSize - m_position);
        std::memcpy(m_buffer + m_position, data, step);
        m_position += step;
        data += step;
        count -= step;
    }
}

void CWexArchive::Flush()
{
    if (!m_sink || m_position == 0) return;
    std::size_t count = m_position;
    // Empty the buffer first: a failed write must not be retried by a later flush.
    m_position = 0;
    m_sink->Write(m_buffer, count);
}

void CWexArchive::WriteUInt16(std::uint32_t value)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    Put(bytes, 2);
}

void CWexArchive::WriteUInt32(std::uint32_t value)
{
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    Put(bytes, 4);
}

void CWexArchive::WriteInt32(std::int32_t value)
{
    WriteUInt32(static_cast<std::uint32_t>(value));
}

void CWexArchive::WriteUInt64(std::uint64_t value)
{
    WriteUInt32(static_cast<std::uint32_t>(value));
    WriteUInt32(static_cast<std::uint32_t>(value >> 32));
}

void CWexArchive::WriteFloat(float value)
{
    WriteUInt32(std::bit_cast<std::uint32_t>(value));
}

std::uint64_t CWexArchive::ReadStringLength(std::size_t& unitSize)
{
    using namespace catalog_format;
    unitSize = 1;
    std::uint8_t b = ReadByte();
    if (b < kStringByteEscape) return b;
    std::uint16_t w = ReadUInt16();
    if (w == kStringUtf16Mark) {
        unitSize = 2;
        b = ReadByte();
        if (b < kStringByteEscape) return b;
        w = ReadUInt16();
    }
    if (w < kStringWordEscape) return w;
    std::uint32_t d = ReadUInt32();
    if (d < kStringDwordEscape) return d;
    return ReadUInt64();
}

std::size_t CWexArchive::CheckedByteCount(std::uint64_t units, std::size_t unitSize) const
{
    // Compared by division, so no length, however absurd, can overflow the check.
    if (units > Remaining() / unitSize) EndOfData();
    const std::uint64_t bytes = units * unitSize;
    if (bytes > std::numeric_limits<std::size_t>::max()) EndOfData();
    return static_cast<std::size_t>(bytes);
}

std::u16string CWexArchive::ReadString()
{
    std::size_t unitSize = 1;
    const std::uint64_t units = ReadStringLength(unitSize);
    const std::size_t byteCount = CheckedByteCount(units, unitSize);
    if (unitSize == 1) {
        std::u16string text(byteCount, u'\0');
        for (std::size_t done = 0; done < byteCount;) {
            const std::size_t step = std::min(byteCount - done, kBufferSize);
            const std::uint8_t* bytes = Take(step);
            for (std::size_t i = 0; i < step; ++i) text[done + i] = Cp1250ToUtf16(bytes[i]);
            done += step;
        }
        return text;
    }
    // Decoded from the archive's buffer a block at a time: no copy of the bytes in between.
    std::u16string text(byteCount / 2, u'\0');
    for (std::size_t done = 0; done < text.size();) {
        const std::size_t step = std::min(text.size() - done, kBufferSize / 2);
        const std::uint8_t* bytes = Take(2 * step);
        for (std::size_t i = 0; i < step; ++i) text[done + i] = static_cast<char16_t>(Le16(bytes + 2 * i));
        done += step;
    }
    return text;
}

void CWexArchive::WriteString(std::u16string_view text)
{
    using namespace catalog_format;
    WriteByte(kStringByteEscape);
    WriteUInt16(kStringUtf16Mark);
    const std::uint64_t length = text.size();
    if (length < kStringByteEscape) {
        WriteByte(static_cast<std::uint8_t>(length));
    } else {
        WriteByte(kStringByteEscape);
        if (length < kStringUtf16Mark) {
            WriteUInt16(static_cast<std::uint32_t>(length));
        } else {
            WriteUInt16(kStringWordEscape);
            if (length < kStringDwordEscape) {
                WriteUInt32(static_cast<std::uint32_t>(length));
            } else {
                WriteUInt32(kStringDwordEscape);
                WriteUInt64(length);
            }
        }
    }
    // Encoded straight into the buffer a block at a time.
    for (std::size_t done = 0; done < text.size();) {
        if (m_position + 2 > kBufferSize) Flush();
        const std::size_t step = std::min(text.size() - done, (kBufferSize - m_position) / 2);
        std::uint8_t* out = m_buffer + m_position;
        for (std::size_t i = 0; i < step; ++i) {
            out[2 * i] = static_cast<std::uint8_t>(text[done + i]);
            out[2 * i + 1] = static_cast<std::uint8_t>(text[done + i] >> 8);
        }
        m_position += 2 * step;
        done += step;
    }
}

void CWexArchive::ReadTextField(char16_t* dest, std::size_t destUnits, std::size_t n, catalog_format::TextForm form)
{
    using catalog_format::TextForm;
    std::size_t stored = 0;
    bool ended = false;
    // Fast path: the longest field fits in the buffered bytes, so the units are decoded there
    // and the position moves past what the field took.
    const bool buffered = m_source && n < kBufferSize / 2 && m_end - m_position >= 2 * (n + 1);
    const std::uint8_t* p = m_buffer + m_position;
    std::size_t taken = 0;
    for (std::size_t i = 0; i <= n; ++i) {
        char16_t unit;
        if (buffered) {
            unit = static_cast<char16_t>(Le16(p + 2 * i));
            taken = 2 * (i + 1);
        } else {
            unit = ReadUInt16();
        }
        if (unit == 0) {
            ended = true;
            if (form == TextForm::Terminated) break;
        }
        if (!ended && stored + 1 < destUnits) dest[stored++] = unit;
    }
    m_position += taken;
    if (!ended && form == TextForm::Terminated)
        throw CWexException("Načítaný řetězec není ukončen nulou", kUnterminatedLine, kTextFieldSource);
    if (destUnits > 0) dest[stored] = 0;
}

void CWexArchive::WriteTextField(const char16_t* text, std::size_t n)
{
    std::size_t i = 0;
    for (; i < n && text[i] != 0; ++i) WriteUInt16(text[i]);
    WriteUInt16(0);
}
