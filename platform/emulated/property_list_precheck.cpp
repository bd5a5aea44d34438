#include "property_list_precheck.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

namespace tessik::platform {
namespace {

bool startsWithAt(QByteArrayView data, qsizetype at, QByteArrayView prefix)
{
    return data.size() - at >= prefix.size() && data.sliced(at, prefix.size()) == prefix;
}

// Index just past `terminator` searched from `from`, or the end of the data.
qsizetype skipPast(QByteArrayView data, qsizetype from, QByteArrayView terminator)
{
    const qsizetype found = data.indexOf(terminator, from);
    return found < 0 ? data.size() : found + terminator.size();
}

bool readUnsigned(QByteArrayView data, std::uint64_t offset, unsigned size, std::uint64_t& value)
{
    if (size == 0 || size > 8 || offset > std::uint64_t(data.size()) || data.size() - offset < size)
        return false;
    value = 0;
    for (unsigned i = 0; i < size; ++i)
        value = (value << 8) | std::uint8_t(data[qsizetype(offset + i)]);
    return true;
}

// Whether the character reference ("&#65;", "&#x41;") at `at` is well formed and names a character other than
// NUL; `end` is set just past it.
bool characterReferenceAcceptable(QByteArrayView data, qsizetype at, qsizetype& end)
{
    qsizetype i = at + 2;
    const bool hex = i < data.size() && (data[i] == 'x' || data[i] == 'X');
    if (hex)
        ++i;
    const qsizetype digitsStart = i;
    std::uint32_t value = 0;
    for (; i < data.size() && (hex ? std::isxdigit(std::uint8_t(data[i])) : std::isdigit(std::uint8_t(data[i]))); ++i) {
        const char c = char(std::tolower(std::uint8_t(data[i])));
        value = std::min<std::uint32_t>(0x110000,
                                        value * (hex ? 16 : 10) + std::uint32_t(c <= '9' ? c - '0' : c - 'a' + 10));
    }
    end = i + 1;
    return i > digitsStart && i < data.size() && data[i] == ';' && value != 0 && value < 0x110000;
}

} // namespace

bool PropertyListPrecheck::xmlAcceptable(QByteArrayView data, int limit)
{
    if (data.contains('\0'))
        return false;
    int depth = 0;
    qsizetype i = 0;
    while (i < data.size()) {
        if (data[i] == '&' && startsWithAt(data, i, "&#")) {
            if (!characterReferenceAcceptable(data, i, i))
                return false;
            continue;
        }
        if (data[i] != '<') {
            ++i;
            continue;
        }
        if (startsWithAt(data, i, "<!--")) {
            i = skipPast(data, i + 4, "-->");
            continue;
        }
        if (startsWithAt(data, i, "<![CDATA[")) {
            i = skipPast(data, i + 9, "]]>");
            continue;
        }
        if (startsWithAt(data, i, "<?") || startsWithAt(data, i, "<!")) {
            i = skipPast(data, i + 2, ">");
            continue;
        }
        const bool closing = startsWithAt(data, i, "</");
        const qsizetype nameStart = i + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < data.size() && std::isalnum(static_cast<unsigned char>(data[nameEnd])))
            ++nameEnd;
        const qsizetype tagEnd = data.indexOf('>', nameEnd);
        if (tagEnd < 0)
            break;
        const QByteArrayView name = data.sliced(nameStart, nameEnd - nameStart);
        if (name == "array" || name == "dict") {
            if (closing)
                depth = std::max(0, depth - 1);
            else if (data[tagEnd - 1] != '/' && ++depth > limit)
                return false;
        }
        i = tagEnd + 1;
    }
    return true;
}

bool PropertyListPrecheck::binaryAcceptable(QByteArrayView data, int limit)
{
    constexpr qsizetype headerSize = 8;
    constexpr qsizetype trailerSize = 32;
    if (data.size() < headerSize + trailerSize)
        return false;
    const qsizetype trailer = data.size() - trailerSize;
    const unsigned offsetSize = std::uint8_t(data[trailer + 6]);
    const unsigned refSize = std::uint8_t(data[trailer + 7]);
    std::uint64_t objectCount = 0, topObject = 0, tableOffset = 0;
    if (!readUnsigned(data, trailer + 8, 8, objectCount) || !readUnsigned(data, trailer + 16, 8, topObject) ||
        !readUnsigned(data, trailer + 24, 8, tableOffset))
        return false;
    if (offsetSize == 0 || offsetSize > 8 || refSize == 0 || refSize > 8 || objectCount == 0 ||
        topObject >= objectCount || tableOffset < std::uint64_t(headerSize) || tableOffset > std::uint64_t(trailer) ||
        (std::uint64_t(trailer) - tableOffset) / offsetSize < objectCount)
        return false;

    // The references an object holds: its children if it is a container, none otherwise. False when the object is
    // malformed or a string holding NUL.
    auto children = [&](std::uint64_t object, std::uint64_t& first, std::uint64_t& count) {
        std::uint64_t offset = 0;
        if (!readUnsigned(data, tableOffset + object * offsetSize, offsetSize, offset) || offset >= tableOffset)
            return false;
        const std::uint8_t marker = std::uint8_t(data[qsizetype(offset)]);
        const unsigned kind = marker >> 4;
        const bool ascii = kind == 0x5, utf16 = kind == 0x6;
        count = 0;
        first = 0;
        if (kind != 0xA && kind != 0xC && kind != 0xD && !ascii && !utf16)
            return true;
        std::uint64_t length = marker & 0x0F;
        first = offset + 1;
        if (length == 0x0F) {
            if (first >= tableOffset)
                return false;
            const std::uint8_t intMarker = std::uint8_t(data[qsizetype(first)]);
            if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3)
                return false;
            const unsigned intSize = 1u << (intMarker & 0x0F);
            if (!readUnsigned(data, first + 1, intSize, length))
                return false;
            first += 1 + intSize;
        }
        if (ascii || utf16) {
            const unsigned unit = utf16 ? 2 : 1;
            if (first > tableOffset || (tableOffset - first) / unit < length)
                return false;
            const QByteArrayView text = data.sliced(qsizetype(first), qsizetype(length * unit));
            for (qsizetype i = 0; i < text.size(); i += unit)
                if (text[i] == 0 && (unit == 1 || text[i + 1] == 0))
                    return false;
            first = 0;
            return true;
        }
        count = kind == 0xD ? length * 2 : length;
        return length <= tableOffset && first <= tableOffset && (tableOffset - first) / refSize >= count;
    };

    enum : std::uint8_t
    {
        unseen,
        open,
        done
    };
    std::vector<std::uint8_t> state(objectCount, unseen);
    struct Frame
    {
        std::uint64_t object, first, count, next;
    };
    std::vector<Frame> path;
    auto enter = [&](std::uint64_t object) {
        Frame frame{object, 0, 0, 0};
        if (!children(object, frame.first, frame.count))
            return false;
        state[object] = open;
        path.push_back(frame);
        return int(path.size()) <= limit + 1;
    };
    if (!enter(topObject))
        return false;
    // Depth-first over the reference graph; each object is expanded once, so a graph that shares
    // children cannot make the walk explode, and meeting an open object again means a cycle.
    std::vector<std::uint16_t> height(objectCount, 0);
    // Shared children are copied into the parsed tree once per reference, so bound the expanded size too.
    constexpr std::uint64_t maximumExpandedObjects = 1u << 20;
    std::vector<std::uint64_t> expanded(objectCount, 1);
    auto addExpanded = [&](std::uint64_t parent, std::uint64_t child) {
        expanded[parent] = std::min(maximumExpandedObjects + 1, expanded[parent] + expanded[child]);
        return expanded[parent] <= maximumExpandedObjects;
    };
    while (!path.empty()) {
        Frame& frame = path.back();
        if (frame.next == frame.count) {
            const std::uint64_t finished = frame.object;
            state[finished] = done;
            const std::uint16_t h = height[finished];
            path.pop_back();
            if (!path.empty()) {
                height[path.back().object] = std::max<std::uint16_t>(height[path.back().object], h + 1);
                if (!addExpanded(path.back().object, finished))
                    return false;
            }
            continue;
        }
        std::uint64_t child = 0;
        if (!readUnsigned(data, frame.first + frame.next * refSize, refSize, child) || child >= objectCount)
            return false;
        ++frame.next;
        if (state[child] == open)
            return false;
        if (state[child] == done) {
            const std::uint16_t h = height[child] + 1;
            if (h + path.size() - 1 > std::size_t(limit))
                return false;
            height[frame.object] = std::max(height[frame.object], h);
            if (!addExpanded(frame.object, child))
                return false;
            continue;
        }
        if (!enter(child))
            return false;
    }
    return height[topObject] <= limit;
}

} // namespace tessik::platform
