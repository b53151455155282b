// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gui/widgets/Pictures.h"

class QSize;

namespace velmora {

class Boxes;
struct Globals;
class IniStore;

// The two pictures of one entry: its picture (the upper area of a category window) and its icon
// (the lower one). Either may be absent. The category window owns one per entry-list row.
struct EntryPictures {
    EntryPictures(Picture picture, Picture icon)
        : EntryPicture(std::move(picture)), EntryIcon(std::move(icon)) {}

    Picture EntryPicture;
    Picture EntryIcon;
};

// The picture files as they are when an entry list is filled. Filling looks up two or three names
// per entry and most of them do not exist, so the picture folder and the program folder are each
// listed once, and only files that are there are read (LoadBitmapPath checks every file it reads,
// showing its notice for a bad one). The lookup is LoadBitmapFile's: the picture folder first, and
// a name missing as written is found under another letter case.
class PictureFiles {
  public:
    PictureFiles(const Globals& globals, Boxes& boxes);

    // What LoadBitmapFile gives for `fileName`, asked of the file system only when it is there.
    Picture Load(const std::string& fileName) const;

  private:
    // One listed folder: its text, and the names of its files by their upper-cased names, each
    // group in byte order.
    struct Listing {
        std::string dir;
        std::unordered_map<std::string, std::vector<std::string>> names;
    };
    static Listing List(std::string dir);
    // The path of `fileName` in the folder: the exact name, else the first name that differs only
    // in letter case; empty when the folder has neither.
    static std::string Find(const Listing& folder, const std::string& fileName);

    const Globals& m_globals;
    Boxes& m_boxes;
    std::vector<Listing> m_folders;  // the picture folder, then the program folder
};

// The pictures of the entry `Code`: its own picture and icon files (Code + ".bmp", Code +
// "icon.bmp"); when it has neither, the picture named by its "Image" value (+ ".bmp"), which
// gives a pair without pictures when that file is missing; none when the entry has no "Image".
std::unique_ptr<EntryPictures> LoadEntryPictures(const std::string& Code, const IniStore& DocumentIni,
                                                 const PictureFiles& files);

// One picture area as shown: the background from its top-left corner, then the entry's picture
// unscaled at (5, 5), both cut at the area's edges. Without a background the area starts
// transparent; with neither picture it is empty (a null image).
QImage DrawPictureArea(const Picture& background, const Picture& picture, const QSize& area);

}  // namespace velmora
