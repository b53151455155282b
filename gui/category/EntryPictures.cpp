// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/category/EntryPictures.h"

#include <QLabel>
#include <QPainter>

#include "core/store/IniError.h"
#include "gui/category/PictureFiles.h"

namespace velmora {

namespace {

// The two picture areas: the entry's picture above, its icon below.
constexpr QSize PictureArea(117, 71);
constexpr QSize IconArea(117, 79);

void ShowPicture(QLabel& area, const QImage& picture) {
    if (picture.isNull())
        area.clear();
    else
        area.setPixmap(QPixmap::fromImage(picture));
}

}  // namespace

EntryPictures::EntryPictures(QLabel& pictureArea, QLabel& iconArea, const Globals& globals, Boxes& boxes)
    : m_pictureArea(pictureArea), m_iconArea(iconArea), m_globals(globals), m_boxes(boxes) {
    for (QLabel* area : {&pictureArea, &iconArea}) area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

EntryPictures::~EntryPictures() = default;

void EntryPictures::SetBackground(const Picture& Bitmap1) {
    m_background = Bitmap1 && !Bitmap1->isNull() ? Bitmap1 : nullptr;
}

void EntryPictures::LoadRows(const std::vector<std::string>& codes, const IniStore& document) {
    FreeRowPictures();
    const PictureFiles files(m_globals, m_boxes);
    m_rows.clear();
    m_rows.resize(codes.size());
    for (size_t row = 0; row < codes.size(); ++row)
        if (!codes[row].empty()) m_rows[row] = LoadEntryPictures(codes[row], document, files);
}

void EntryPictures::ChangeTheImage(int Row, const std::string& ImageName) {
    if (Row < 0 || static_cast<size_t>(Row) >= m_rows.size()) throw IniError("Grid index out of range");
    m_rows[static_cast<size_t>(Row)] =
        std::make_unique<PicturePair>(LoadBitmapFile(m_globals, m_boxes, ImageName + ".bmp"), nullptr);
}

void EntryPictures::ShowTheImage(int Row) {
    const size_t row = static_cast<size_t>(Row);
    const PicturePair* pair = row < m_rows.size() ? m_rows[row].get() : nullptr;
    const Picture none;
    ShowPicture(m_pictureArea, DrawPictureArea(m_background, pair ? pair->EntryPicture : none, PictureArea));
    ShowPicture(m_iconArea, DrawPictureArea(m_background, pair ? pair->EntryIcon : none, IconArea));
}

void EntryPictures::FreeRowPictures() {
    for (std::unique_ptr<PicturePair>& pair : m_rows) pair.reset();
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
