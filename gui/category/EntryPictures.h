// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "gui/widgets/Pictures.h"

class QLabel;
class QSize;

namespace velmora {

class Boxes;
struct Globals;
class IniStore;
struct PicturePair;

// The pictures of a category window: each entry row's picture pair, read when the entry list is
// filled, and the two areas between the entry list and the pages that draw the selected entry's
// pair over the window's picture background. Selecting an entry only draws: the files are read
// once per filling.
class EntryPictures {
public:
    // `pictureArea` and `iconArea` outlive the pictures.
    EntryPictures(QLabel& pictureArea, QLabel& iconArea, const Globals& globals, Boxes& boxes);
    ~EntryPictures();
    EntryPictures(const EntryPictures&) = delete;
    EntryPictures& operator=(const EntryPictures&) = delete;

    // The background of both areas (Bitmap1); none: the areas start transparent.
    void SetBackground(const Picture& Bitmap1);
    // Reads the pictures of each row's entry, `codes` row by row (an empty code has none).
    void LoadRows(const std::vector<std::string>& codes, const IniStore& document);
    // Row `Row` gets the picture `ImageName` + ".bmp" alone, as an entry's "Image" names it; a row
    // the list does not have is refused.
    void ChangeTheImage(int Row, const std::string& ImageName);
    // Draws the pair of entry row `Row`.
    void ShowTheImage(int Row);
    // Lets the rows' pictures go; the rows keep their places, empty.
    void FreeRowPictures();

private:
    QLabel& m_pictureArea;
    QLabel& m_iconArea;
    const Globals& m_globals;
    Boxes& m_boxes;
    Picture m_background;
    std::vector<std::unique_ptr<PicturePair>> m_rows;
};

// One picture area as shown: the background from its top-left corner, then the entry's picture
// unscaled at (5, 5), both cut at the area's edges. Without a background the area starts
// transparent; with neither picture it is empty (a null image).
QImage DrawPictureArea(const Picture& background, const Picture& picture, const QSize& area);

}  // namespace velmora
