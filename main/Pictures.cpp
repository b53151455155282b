#include "main/Pictures.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <optional>

#include "main/Boxes.h"
#include "main/Globals.h"
#include "main/Routines.h"
#include "store/IniError.h"
#include "store/PlatformFile.h"

namespace velmora {

namespace {

constexpr uint64_t FileHeaderSize = 14;
// Far above any picture the program shows (tiles, entry pictures and icons are a few hundred
// pixels wide), far below what would strain memory once decoded.
constexpr int64_t MaxSide = 8192;
constexpr int64_t MaxPixels = 16 * 1024 * 1024;

enum Compression : uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

uint32_t U16(std::string_view bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

uint32_t U32(std::string_view bytes, size_t at) {
    return U16(bytes, at) | U16(bytes, at + 2) << 16;
}

int32_t I32(std::string_view bytes, size_t at) {
    return static_cast<int32_t>(U32(bytes, at));
}

bool KnownHeaderSize(uint32_t size) {
    switch (size) {
        case 12:   // the oldest header, 16-bit sizes
        case 40:   // the common one
        case 52:   // with colour masks
        case 56:   // with colour and alpha masks
        case 64:   // the second OS/2 header
        case 108:  // with colour space
        case 124:  // with colour profile
            return true;
        default:
            return false;
    }
}

bool KnownBitDepth(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

bool IsSaneBitmap(std::string_view bytes) {
    const uint64_t size = bytes.size();
    if (size < FileHeaderSize + 12 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint64_t pixelOffset = U32(bytes, 10);
    const uint32_t headerSize = U32(bytes, 14);
    if (!KnownHeaderSize(headerSize) || size < FileHeaderSize + headerSize) return false;

    int64_t width = 0;
    int64_t height = 0;
    uint32_t planes = 0;
    uint32_t bits = 0;
    uint32_t compression = Rgb;
    uint64_t imageSize = 0;
    uint64_t colorsUsed = 0;
    if (headerSize == 12) {
        width = U16(bytes, 18);
        height = U16(bytes, 20);
        planes = U16(bytes, 22);
        bits = U16(bytes, 24);
    } else {
        width = I32(bytes, 18);
        height = I32(bytes, 22);
        planes = U16(bytes, 26);
        bits = U16(bytes, 28);
        compression = U32(bytes, 30);
        imageSize = U32(bytes, 34);
        colorsUsed = U32(bytes, 46);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;

    if (planes != 1 || !KnownBitDepth(bits)) return false;
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide || width * height > MaxPixels)
        return false;
    switch (compression) {
        case Rgb:
            break;
        case Rle8:
            if (bits != 8 || topDown) return false;
            break;
        case Rle4:
            if (bits != 4 || topDown) return false;
            break;
        case BitFields:
            if (bits != 16 && bits != 32) return false;
            break;
        default:
            return false;
    }

    // The colour masks of a plain header and the colour table come between the header and the
    // pixels; both must be in the file.
    uint64_t tableEnd = FileHeaderSize + headerSize;
    if (headerSize == 40 && compression == BitFields) tableEnd += 12;
    if (bits <= 8) {
        const uint64_t maxColors = uint64_t{1} << bits;
        if (colorsUsed > maxColors) return false;
        tableEnd += (colorsUsed == 0 ? maxColors : colorsUsed) * (headerSize == 12 ? 3 : 4);
    }
    if (tableEnd > size || pixelOffset < FileHeaderSize + headerSize || pixelOffset >= size) return false;

    if (compression == Rle8 || compression == Rle4) return imageSize == 0 || pixelOffset + imageSize <= size;
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    return pixelOffset + rowBytes * static_cast<uint64_t>(height) <= size;
}

Picture LoadBitmapFile(const Globals& globals, Boxes& boxes, const std::string& fileName) {
    std::string path = platform::ExistingFileName(globals.ProgramDir + globals.BitmapDir + fileName);
    if (!platform::IsRegularFile(path)) {
        path = platform::ExistingFileName(globals.ProgramDir + fileName);
        if (!platform::IsRegularFile(path)) return nullptr;
    }
    return LoadBitmapPath(boxes, path);
}

Picture LoadBitmapPath(Boxes& boxes, const std::string& path) {
    std::optional<std::string> bytes;
    try {
        bytes = platform::ReadWholeFile(path);
    } catch (const IniError& error) {
        boxes.Error(error.what());
        return nullptr;
    }
    if (!bytes) return nullptr;  // gone since it was found

    QImage image;
    if (IsSaneBitmap(*bytes)) {
        const QByteArray data = QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size()));
        image = QImage::fromData(data, "BMP");  // decodes into a buffer of its own
    }
    if (image.isNull()) {
        boxes.Notice("Error file format in " + ExtractFileName(path));
        return nullptr;
    }
    return std::make_shared<const QImage>(std::move(image));
}

}  // namespace velmora
