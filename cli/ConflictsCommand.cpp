// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>

#include "core/layers/EffectiveValues.h"
#include "core/layers/LayerStack.h"

namespace velmora::cli {

// Per entry its header "[CODE]", then one line per key: the key, a tab, the chain
// ("Rules.ini 5 <- mode.ini 11"), a tab and the winner's place. "--all" also lists the keys a
// later file sets to the value it overrides.
int Conflicts(const Arguments& args) {
    Arguments rest = args;
    const std::vector<std::string> layerFiles = TakeLayerFiles(rest);
    const StartArguments parsed = ParseStartArguments(rest, {"--all"}, {"--mod"});
    std::vector<std::string> own;
    StackedDocument document(parsed, 0, own);
    LayerStack stack(document.Work());
    for (const std::string& file : layerFiles) stack.Add(file);

    for (const EntryOverrides& entry : OverridesOf(stack, !parsed.Has("--all"))) {
        std::cout << '[' << entry.Code << "]\n";
        for (const KeyOverride& key : entry.Keys)
            std::cout << key.Key << '\t' << key.Chain.ChainText() << "\twins: " << key.Chain.Winner().FileName
                      << " line " << key.Chain.Winner().Line << '\n';
    }
    return 0;
}

}  // namespace velmora::cli
