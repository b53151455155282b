// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>

#include "core/catalogue/CatalogueText.h"

namespace velmora::cli {

int Catalogue(const Arguments& args) {
    const StartArguments parsed = ParseStartArguments(args, {"--write"});
    const auto& places = parsed.places;
    if (places.empty() || places.size() > 2) throw UsageError();
    const std::optional<std::string> document = places.size() == 2 ? std::optional(places[1]) : std::nullopt;
    CommandContext context(places[0], parsed.fileType, {places.begin() + 1, places.end()},
                           parsed.Has("--write"));
    context.Load(document);
    WriteCatalogueText(context.workspace, std::cout);
    return 0;
}

}  // namespace velmora::cli
