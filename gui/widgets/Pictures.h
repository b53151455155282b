// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <string_view>

class QImage;

namespace velmora {

class Boxes;
struct Globals;

// A picture of the program: the background tiles and the entries' pictures. Kept decoded in its
// compact form and shared by every window that shows it; none is an empty pointer.
using Picture = std::shared_ptr<const QImage>;

// Whether the bytes hold a complete Windows bitmap of a sane size: a header the image reader
// accepts, a width and height within bounds, and pixel data that the file holds in full. The
// decoder is only ever asked for the pixels of bytes that pass this check, so a damaged file or
// one that claims a huge size cannot make it show garbage or allocate without limit.
bool IsSaneBitmap(std::string_view bytes);

// The picture file `fileName`, looked up in the picture folder (ProgramDir + BitmapDir), then in
// ProgramDir, each time under another letter case when the exact name is missing. A file in
// neither place gives none, silently. Otherwise as LoadBitmapPath.
Picture LoadBitmapFile(const Globals& globals, Boxes& boxes, const std::string& fileName);

// The picture file at `path`. A file that is not a valid bitmap gives the notice "Error file
// format in <file name>" and none; a file that cannot be read gives its "Cannot open file" error
// and none, so a bad picture never ends a load. A file that is gone gives none, silently.
Picture LoadBitmapPath(Boxes& boxes, const std::string& path);

}  // namespace velmora
