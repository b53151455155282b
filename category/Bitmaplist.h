#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <unordered_set>

#include "main/Pictures.h"

class QSize;

namespace velmora {

class Boxes;
struct Globals;
class TMemIniFile;

// The two pictures of one entry: its picture (the upper area of a category window) and its icon
// (the lower one). Either may be absent. The category window owns one per entry-list row.
struct TBitmaplist {
    TBitmaplist(Picture picture, Picture icon)
        : EntryPicture(std::move(picture)), EntryIcon(std::move(icon)) {}

    Picture EntryPicture;
    Picture EntryIcon;
};

// The picture files as they are when an entry list is filled. Filling looks up two or three names
// per entry and most of them do not exist, so the picture folder and the program folder are each
// listed once, and only files that are there are handed to LoadBitmapFile (which still decides
// which folder wins and checks every file it reads, showing its notice for a bad one).
class PictureFiles {
  public:
    PictureFiles(const Globals& globals, Boxes& boxes);

    // What LoadBitmapFile gives for `fileName`, asked of the file system only when it is there.
    Picture Load(const std::string& fileName) const;

  private:
    std::string Key(const std::string& fileName) const;

    const Globals& m_globals;
    Boxes& m_boxes;
    bool m_ignoreCase;
    // The names found in either folder, upper-cased where the file system ignores letter case.
    std::unordered_set<std::string> m_present;
};

// The pictures of the entry `Code`: its own picture and icon files (Code + ".bmp", Code +
// "icon.bmp"); when it has neither, the picture named by its "Image" value (+ ".bmp"), which
// gives a pair without pictures when that file is missing; none when the entry has no "Image".
std::unique_ptr<TBitmaplist> TBitmaplistCreate(const std::string& Code, const TMemIniFile& DocumentIni,
                                               const PictureFiles& files);

// One picture area as shown: the background from its top-left corner, then the entry's picture
// unscaled at (5, 5), both cut at the area's edges. Without a background the area starts
// transparent; with neither picture it is empty (a null image).
QImage DrawPictureArea(const Picture& background, const Picture& picture, const QSize& area);

}  // namespace velmora
