// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gui/widgets/Pictures.h"

namespace velmora {

class Boxes;
struct Globals;
class IniStore;

// The two pictures of one entry: its picture (the upper area of a category window) and its icon
// (the lower one). Either may be absent. A category window's pictures keep one per entry-list row.
struct PicturePair {
    PicturePair(Picture picture, Picture icon)
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
std::unique_ptr<PicturePair> LoadEntryPictures(const std::string& Code, const IniStore& DocumentIni,
                                                 const PictureFiles& files);

}  // namespace velmora
