// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/widgets/Pictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QSize>
#include <cstdint>
#include <optional>

#include "core/boxes/Boxes.h"
#include "core/settings/Globals.h"
#include "core/store/Routines.h"
#include "core/store/IniError.h"
#include "core/store/PlatformFile.h"

namespace velmora {

namespace {

constexpr uint64_t FileHeaderSize = 14;
// Far above any picture the program shows (tiles, entry pictures and icons are a few hundred
// pixels wide), far below what would strain memory once decoded.
constexpr int64_t MaxSide = 8192;
constexpr int64_t MaxPixels = int64_t{16} * 1024 * 1024;

enum Compression : uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

uint32_t U16(std::string_view bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

uint32_t U32(std::string_view bytes, size_t at) {
    return U16(bytes, at) | U16(bytes, at + 2) << 16;
}

// Whether the file holds all the pixel data its header promises. The decoder does not check
// this: it fills the rows a short file lacks with whatever its buffer held, and takes a pixel
// offset past the end without a word. Only called on bytes the decoder has read a header from.
bool HoldsAllPixels(std::string_view bytes, const QSize& size) {
    const uint64_t fileSize = bytes.size();
    if (fileSize < FileHeaderSize + 16) return false;
    const uint64_t pixelOffset = U32(bytes, 10);
    const uint32_t headerSize = U32(bytes, 14);
    const bool oldHeader = headerSize == 12;  // 16-bit sizes, no compression field
    const uint64_t fieldsEnd = FileHeaderSize + (oldHeader ? 12 : 40);
    if (fileSize < fieldsEnd || pixelOffset < FileHeaderSize + headerSize || pixelOffset >= fileSize)
        return false;
    const uint64_t bits = U16(bytes, oldHeader ? 24 : 28);
    const uint32_t compression = oldHeader ? Rgb : U32(bytes, 30);
    if (compression == Rle8 || compression == Rle4) {
        const uint64_t imageSize = U32(bytes, 34);
        return imageSize == 0 || pixelOffset + imageSize <= fileSize;
    }
    if (compression != Rgb && compression != BitFields) return false;  // no rows to count
    const uint64_t rowBytes = (static_cast<uint64_t>(size.width()) * bits + 31) / 32 * 4;
    return pixelOffset + rowBytes * static_cast<uint64_t>(size.height()) <= fileSize;
}

// Checks `bytes` as IsSaneBitmap does and, when they pass and `decoded` is given, decodes them
// into it. The decoder reads the header first, so a size beyond bounds is refused before anything
// is allocated for the pixels.
bool CheckBitmap(std::string_view bytes, QImage* decoded) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "BMP");
    reader.setDecideFormatFromContent(false);
    if (!reader.canRead()) return false;
    const QSize size = reader.size();
    const int64_t width = size.width();
    const int64_t height = size.height();
    if (width < 1 || height < 1 || width > MaxSide || height > MaxSide || width * height > MaxPixels)
        return false;
    if (!HoldsAllPixels(bytes, size)) return false;
    if (!decoded) return true;
    // The image gets a buffer of its own; `data` only borrows the caller's bytes.
    return reader.read(decoded) && !decoded->isNull();
}

}  // namespace

bool IsSaneBitmap(std::string_view bytes) {
    return CheckBitmap(bytes, nullptr);
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
    if (!CheckBitmap(*bytes, &image)) {
        boxes.Notice("Error file format in " + ExtractFileName(path));
        return nullptr;
    }
    return std::make_shared<const QImage>(std::move(image));
}

}  // namespace velmora
