#include "Services/HeifBoxes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::HeifBoxes {
namespace {

// Reads big-endian fields from a byte range; every read past the end leaves `failed` set.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}

    bool failed() const { return failed_; }
    bool atEnd() const { return offset_ >= bytes_.size(); }
    std::string_view rest() const { return failed_ ? std::string_view() : bytes_.substr(offset_); }

    std::uint64_t read(std::size_t width) {
        if (failed_ || bytes_.size() - offset_ < width) {
            failed_ = true;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value = (value << 8) | static_cast<unsigned char>(bytes_[offset_ + i]);
        offset_ += width;
        return value;
    }
    std::string_view take(std::uint64_t count) {
        if (failed_ || bytes_.size() - offset_ < count) {
            failed_ = true;
            return {};
        }
        const std::string_view part = bytes_.substr(offset_, static_cast<std::size_t>(count));
        offset_ += static_cast<std::size_t>(count);
        return part;
    }

private:
    std::string_view bytes_;
    std::size_t offset_ = 0;
    bool failed_ = false;
};

struct Box {
    std::string_view type;
    std::string_view payload;
};

// The boxes of a container, in order; stops at the first malformed one.
std::vector<Box> children(std::string_view bytes) {
    std::vector<Box> boxes;
    Cursor cursor(bytes);
    while (!cursor.atEnd()) {
        std::uint64_t size = cursor.read(4);
        const std::string_view type = cursor.take(4);
        std::uint64_t header = 8;
        if (size == 1) {
            size = cursor.read(8);
            header = 16;
        } else if (size == 0) {
            size = header + cursor.rest().size();
        }
        if (cursor.failed() || size < header)
            break;
        const std::string_view payload = cursor.take(size - header);
        if (cursor.failed())
            break;
        boxes.push_back({type, payload});
    }
    return boxes;
}

std::optional<std::string_view> child(std::string_view container, std::string_view type) {
    for (const Box& box : children(container))
        if (box.type == type)
            return box.payload;
    return std::nullopt;
}

// A full box's payload after its version and flags.
struct FullBox {
    unsigned version = 0;
    std::uint32_t flags = 0;
    std::string_view body;
};

std::optional<FullBox> fullBox(std::string_view payload) {
    Cursor cursor(payload);
    FullBox box;
    box.version = static_cast<unsigned>(cursor.read(1));
    box.flags = static_cast<std::uint32_t>(cursor.read(3));
    box.body = cursor.rest();
    return cursor.failed() ? std::nullopt : std::optional<FullBox>(box);
}

std::optional<std::uint32_t> primaryItem(std::string_view meta) {
    const auto pitm = child(meta, "pitm");
    const auto box = pitm ? fullBox(*pitm) : std::nullopt;
    if (!box)
        return std::nullopt;
    Cursor cursor(box->body);
    const auto item = static_cast<std::uint32_t>(cursor.read(box->version == 0 ? 2 : 4));
    return cursor.failed() ? std::nullopt : std::optional<std::uint32_t>(item);
}

// The 1-based property indices associated with `item`, in the order listed.
std::vector<std::size_t> associations(std::string_view ipma, std::uint32_t item) {
    const auto box = fullBox(ipma);
    if (!box)
        return {};
    Cursor cursor(box->body);
    const std::uint64_t entries = cursor.read(4);
    for (std::uint64_t entry = 0; entry < entries && !cursor.failed(); ++entry) {
        const auto id = cursor.read(box->version < 1 ? 2 : 4);
        const auto count = cursor.read(1);
        std::vector<std::size_t> indices;
        for (std::uint64_t i = 0; i < count && !cursor.failed(); ++i) {
            const bool wide = (box->flags & 1) != 0;
            const auto value = cursor.read(wide ? 2 : 1);
            indices.push_back(static_cast<std::size_t>(value & (wide ? 0x7fff : 0x7f)));
        }
        if (!cursor.failed() && id == item)
            return indices;
    }
    return {};
}

// 2 x 2 integer matrices acting on (x, y) with y pointing down.
using Matrix = std::array<int, 4>;

Matrix multiply(const Matrix& a, const Matrix& b) {
    return {a[0] * b[0] + a[1] * b[2], a[0] * b[1] + a[1] * b[3], a[2] * b[0] + a[3] * b[2],
            a[2] * b[1] + a[3] * b[3]};
}

constexpr Matrix identity{1, 0, 0, 1};
constexpr Matrix rotateClockwise{0, -1, 1, 0};
constexpr Matrix flipHorizontally{-1, 0, 0, 1};
constexpr Matrix flipVertically{1, 0, 0, -1};

// 'irot': anticlockwise quarter turns in the low two bits.
Matrix rotation(std::string_view payload) {
    const int quarterTurns = payload.empty() ? 0 : (static_cast<unsigned char>(payload[0]) & 3);
    Matrix result = identity;
    for (int i = 0; i < (4 - quarterTurns) % 4; ++i)
        result = multiply(rotateClockwise, result);
    return result;
}

// 'imir': the low bit chooses the mirror direction as the decoder applies it (1: left to right).
Matrix mirror(std::string_view payload) {
    const bool horizontal = !payload.empty() && (static_cast<unsigned char>(payload[0]) & 1) != 0;
    return horizontal ? flipHorizontally : flipVertically;
}

int exifOrientation(const Matrix& m) {
    const Matrix rotated180 = multiply(rotateClockwise, rotateClockwise);
    const std::array<Matrix, 8> table{identity,
                                      flipHorizontally,
                                      rotated180,
                                      flipVertically,
                                      multiply(flipHorizontally, rotateClockwise),
                                      rotateClockwise,
                                      multiply(flipVertically, rotateClockwise),
                                      multiply(rotated180, rotateClockwise)};
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] == m)
            return static_cast<int>(i) + 1;
    return 1;
}

// The item type that 'iinf' gives `item`, from its version 2 or 3 'infe' entry.
std::optional<std::string> itemType(std::string_view meta, std::uint32_t item) {
    const auto iinf = child(meta, "iinf");
    const auto box = iinf ? fullBox(*iinf) : std::nullopt;
    if (!box)
        return std::nullopt;
    Cursor cursor(box->body);
    cursor.read(box->version == 0 ? 2 : 4); // entry count
    for (const Box& entry : children(cursor.rest())) {
        const auto infe = entry.type == "infe" ? fullBox(entry.payload) : std::nullopt;
        if (!infe || infe->version < 2)
            continue;
        Cursor fields(infe->body);
        const auto id = fields.read(infe->version == 2 ? 2 : 4);
        fields.read(2); // protection index
        const std::string_view type = fields.take(4);
        if (!fields.failed() && id == item)
            return std::string(type);
    }
    return std::nullopt;
}

// The item's bytes from 'iloc': its extents in the file (construction method 0) or in 'idat' (1).
std::optional<std::string> itemData(std::string_view file, std::string_view meta, std::uint32_t item) {
    const auto iloc = child(meta, "iloc");
    const auto box = iloc ? fullBox(*iloc) : std::nullopt;
    if (!box || box->version > 2)
        return std::nullopt;
    Cursor cursor(box->body);
    const auto sizes = cursor.read(2);
    const std::size_t offsetSize = (sizes >> 12) & 15, lengthSize = (sizes >> 8) & 15,
                      baseOffsetSize = (sizes >> 4) & 15, indexSize = box->version > 0 ? sizes & 15 : 0;
    const auto count = cursor.read(box->version < 2 ? 2 : 4);
    for (std::uint64_t entry = 0; entry < count && !cursor.failed(); ++entry) {
        const auto id = cursor.read(box->version < 2 ? 2 : 4);
        const auto method = box->version > 0 ? cursor.read(2) & 15 : 0;
        cursor.read(2); // data reference index
        const auto baseOffset = cursor.read(baseOffsetSize);
        const auto extents = cursor.read(2);
        std::string data;
        bool usable = method <= 1;
        const std::string_view source = method == 1 ? child(meta, "idat").value_or(std::string_view()) : file;
        for (std::uint64_t e = 0; e < extents && !cursor.failed(); ++e) {
            cursor.read(indexSize);
            const auto offset = baseOffset + cursor.read(offsetSize);
            const auto length = cursor.read(lengthSize);
            if (id != item)
                continue;
            if (offset > source.size() || length > source.size() - offset || (length == 0 && extents != 1))
                usable = false;
            else
                data += source.substr(offset, length == 0 ? source.size() - offset : length);
        }
        if (id == item)
            return !cursor.failed() && usable ? std::optional<std::string>(std::move(data)) : std::nullopt;
    }
    return std::nullopt;
}

// The payloads of the properties associated with `item`, in order.
std::vector<Box> itemProperties(std::string_view meta, std::uint32_t item) {
    const auto iprp = child(meta, "iprp");
    const auto ipco = iprp ? child(*iprp, "ipco") : std::nullopt;
    if (!ipco)
        return {};
    const std::vector<Box> properties = children(*ipco);
    std::vector<Box> result;
    for (const Box& box : children(*iprp))
        if (box.type == "ipma")
            for (const std::size_t index : associations(box.payload, item))
                if (index > 0 && index <= properties.size())
                    result.push_back(properties[index - 1]);
    return result;
}

} // namespace

std::optional<CodedImage> primaryCodedImage(std::string_view file) {
    const auto metaPayload = child(file, "meta");
    const auto meta = metaPayload ? fullBox(*metaPayload) : std::nullopt;
    const auto item = meta ? primaryItem(meta->body) : std::nullopt;
    if (!item)
        return std::nullopt;
    auto type = itemType(meta->body, *item);
    auto data = itemData(file, meta->body, *item);
    if (!type || !data)
        return std::nullopt;
    CodedImage image{std::move(*type), {}, std::move(*data)};
    for (const Box& property : itemProperties(meta->body, *item))
        if (property.type == "hvcC")
            image.configuration = property.payload;
    return image;
}

int primaryImageOrientation(std::string_view file) {
    const auto metaPayload = child(file, "meta");
    const auto meta = metaPayload ? fullBox(*metaPayload) : std::nullopt;
    const auto item = meta ? primaryItem(meta->body) : std::nullopt;
    if (!item)
        return 1;
    Matrix transform = identity;
    for (const Box& property : itemProperties(meta->body, *item)) {
        if (property.type == "irot")
            transform = multiply(rotation(property.payload), transform);
        else if (property.type == "imir")
            transform = multiply(mirror(property.payload), transform);
    }
    return exifOrientation(transform);
}

} // namespace quorvel::HeifBoxes
