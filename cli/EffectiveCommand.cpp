// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandContext.h"

#include <iostream>

#include "core/layers/EffectiveValues.h"
#include "core/layers/LayerStack.h"
#include "core/store/IniError.h"
#include "core/store/MessageText.h"

namespace velmora::cli {

// For each key: "KEY=VALUE", a tab and where the value comes from, then one line per file that
// sets the key, in the order the game reads them: a tab, "FILE line N", a tab and the value.
int Effective(const Arguments& args) {
    Arguments rest = args;
    const std::vector<std::string> layerFiles = TakeLayerFiles(rest);
    std::vector<std::string> own;
    StackedDocument document(ParseStartArguments(rest, {}, {"--mod"}), 2, own);
    if (own.empty()) throw UsageError();
    LayerStack stack(document.Work());
    for (const std::string& file : layerFiles) stack.Add(file);

    const std::string& code = own[0];
    const std::vector<std::string> keys =
        own.size() > 1 ? std::vector<std::string>{own[1]} : KeysOf(stack, code);
    if (keys.empty()) throw IniError("no entry " + Escaped(code) + " in the document or its layers");
    for (const std::string& key : keys) {
        const ValueChain chain = ChainOf(stack, code, key);
        if (chain.Empty())
            throw IniError(Escaped(code) + " has no key " + Escaped(key) + " in the document or its layers");
        std::cout << key << '=' << chain.Winner().Value << '\t' << chain.Provenance() << '\n';
        for (const ValueSetting& setting : chain.Settings)
            std::cout << '\t' << setting.FileName << " line " << setting.Line << '\t' << setting.Value
                      << '\n';
    }
    return 0;
}

}  // namespace velmora::cli
