// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>

#include "core/store/MessageText.h"
#include "core/store/IniError.h"
#include "core/values/ValueCheck.h"

namespace velmora::cli {

int Kinds(const Arguments& args) {
    std::vector<std::string> only;
    const std::unique_ptr<CommandContext> context = OpenDocumentWith(ParseStartArguments(args, {}), 1, only);
    const ValueCheck check(context->workspace);
    PrintPinProblems(check);
    const KindLearner& learner = check.Learner();
    int shown = only.empty() ? -1 : learner.CategoryIndex(only[0]);
    if (!only.empty() && shown < 0) throw IniError("No category " + Escaped(only[0]));
    std::string listing;
    for (size_t c = 0; c < learner.Categories().size(); ++c) {
        if (shown >= 0 && c != static_cast<size_t>(shown)) continue;
        listing.append("[").append(learner.Categories()[c].Name).append("]\n");
        for (const KeyKind& kind : check.KindsOf(c)) {
            listing.append(kind.Key).append("\t").append(KindText(kind.Count.Kind)).append("\t");
            listing.append(std::to_string(kind.Count.Fit)).append(" of ").append(std::to_string(kind.Count.Values));
            if (kind.Pinned) listing.append(" (pinned)");
            if (kind.Count.AcrossCategories) listing.append(" (all categories)");
            listing.append("\n");
        }
    }
    std::cout << listing;
    return 0;
}

}  // namespace velmora::cli
