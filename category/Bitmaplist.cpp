#include "category/Bitmaplist.h"

#include <QPainter>

#include "main/Globals.h"
#include "store/PlatformFile.h"
#include "store/TextCase.h"
#include "store/mIniGue.h"

namespace velmora {

namespace {

// A name that reaches into another folder is not in the listings; it is left to LoadBitmapFile.
bool NamesAnotherFolder(const std::string& fileName) {
    return fileName.find_first_of("/\\:") != std::string::npos;
}

}  // namespace

PictureFiles::PictureFiles(const Globals& globals, Boxes& boxes)
    : m_globals(globals), m_boxes(boxes), m_ignoreCase(platform::FileNamesIgnoreCase()) {
    const std::string pictureDir = globals.ProgramDir + globals.BitmapDir;
    for (const std::string& name : platform::RegularFileNames(pictureDir)) m_present.insert(Key(name));
    if (pictureDir != globals.ProgramDir)
        for (const std::string& name : platform::RegularFileNames(globals.ProgramDir))
            m_present.insert(Key(name));
}

std::string PictureFiles::Key(const std::string& fileName) const {
    return m_ignoreCase ? FoldCase(fileName) : fileName;
}

Picture PictureFiles::Load(const std::string& fileName) const {
    if (!NamesAnotherFolder(fileName) && !m_present.contains(Key(fileName))) return nullptr;
    return LoadBitmapFile(m_globals, m_boxes, fileName);
}

std::unique_ptr<TBitmaplist> TBitmaplistCreate(const std::string& Code, const TMemIniFile& DocumentIni,
                                               const PictureFiles& files) {
    Picture picture = files.Load(Code + ".bmp");
    Picture icon = files.Load(Code + "icon.bmp");
    if (picture || icon) return std::make_unique<TBitmaplist>(std::move(picture), std::move(icon));
    const std::string image = DocumentIni.ReadString(Code, "Image", "");
    if (image.empty()) return nullptr;
    return std::make_unique<TBitmaplist>(files.Load(image + ".bmp"), nullptr);
}

QImage DrawPictureArea(const Picture& background, const Picture& picture, const QSize& area) {
    const bool hasBackground = background && !background->isNull();
    const bool hasPicture = picture && !picture->isNull();
    if (!hasBackground && !hasPicture) return QImage();
    QImage canvas(area, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    if (hasBackground) painter.drawImage(0, 0, *background);
    if (hasPicture) painter.drawImage(5, 5, *picture);
    return canvas;
}

}  // namespace velmora
