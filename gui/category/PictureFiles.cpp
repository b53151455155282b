// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/category/PictureFiles.h"

#include <algorithm>

#include "core/settings/Globals.h"
#include "core/store/PlatformFile.h"
#include "core/store/TextCase.h"
#include "core/store/IniStore.h"

namespace velmora {

namespace {

// A name that reaches into another folder is not in the listings; it is left to LoadBitmapFile.
bool NamesAnotherFolder(const std::string& fileName) {
    return fileName.find_first_of("/\\:") != std::string::npos;
}

}  // namespace

PictureFiles::PictureFiles(const Globals& globals, Boxes& boxes) : m_globals(globals), m_boxes(boxes) {
    const std::string pictureDir = globals.ProgramDir + globals.BitmapDir;
    m_folders.push_back(List(pictureDir));
    if (pictureDir != globals.ProgramDir) m_folders.push_back(List(globals.ProgramDir));
}

PictureFiles::Listing PictureFiles::List(std::string dir) {
    Listing folder{std::move(dir), {}};
    for (std::string& name : platform::RegularFileNames(folder.dir)) {
        std::string key = FoldCase(name);
        folder.names[std::move(key)].push_back(std::move(name));
    }
    for (auto& [key, names] : folder.names) std::sort(names.begin(), names.end());
    return folder;
}

std::string PictureFiles::Find(const Listing& folder, const std::string& fileName) {
    const auto group = folder.names.find(FoldCase(fileName));
    if (group == folder.names.end()) return {};
    const std::vector<std::string>& names = group->second;
    const bool exact = std::find(names.begin(), names.end(), fileName) != names.end();
    return folder.dir + (exact ? fileName : names.front());
}

Picture PictureFiles::Load(const std::string& fileName) const {
    if (NamesAnotherFolder(fileName)) return LoadBitmapFile(m_globals, m_boxes, fileName);
    for (const Listing& folder : m_folders) {
        const std::string path = Find(folder, fileName);
        if (!path.empty()) return LoadBitmapPath(m_boxes, path);
    }
    return nullptr;
}

std::unique_ptr<PicturePair> LoadEntryPictures(const std::string& Code, const IniStore& DocumentIni,
                                                 const PictureFiles& files) {
    Picture picture = files.Load(Code + ".bmp");
    Picture icon = files.Load(Code + "icon.bmp");
    if (picture || icon) return std::make_unique<PicturePair>(std::move(picture), std::move(icon));
    const std::string image = DocumentIni.ReadString(Code, "Image", "");
    if (image.empty()) return nullptr;
    return std::make_unique<PicturePair>(files.Load(image + ".bmp"), nullptr);
}

}  // namespace velmora
