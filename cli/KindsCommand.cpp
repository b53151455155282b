// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>

#include "core/store/MessageText.h"
#include "core/store/IniError.h"
#include "core/values/ValueCheck.h"

namespace velmora::cli {

int Kinds(const Arguments& args) {
    std::vector<std::string> only;
    const StartArguments parsed = ParseStartArguments(args, {}, {"--mod"});
    // With the mod, the kind --type names (by default the first), the other kinds at hand.
    std::unique_ptr<ModContext> mod;
    std::unique_ptr<CommandContext> context;
    if (parsed.Option("--mod")) {
        if (parsed.places.size() > 2) throw UsageError();
        mod = OpenModWith(parsed, parsed.places.size() - 1, only);
    } else {
        context = OpenDocumentWith(parsed, 1, only);
    }
    const Workspace* checked = context ? &context->workspace : nullptr;
    if (mod) {
        const ModSession::Kind* found = parsed.fileType ? mod->session.Find(*parsed.fileType)
                                        : mod->session.Count() > 0 ? &mod->session.At(0) : nullptr;
        if (found == nullptr) throw IniError("No kind of file " + Escaped(parsed.fileType.value_or("")));
        checked = found->Work.get();
    }
    const ValueCheck check(*checked, mod ? mod->session.Workspaces() : std::vector<const Workspace*>{});
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
