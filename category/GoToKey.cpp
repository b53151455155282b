// Going to an entry's key from elsewhere (the Changes window): the page that lists the key, and
// its row in the value grid.

#include "category/mChildWin.h"
#include "main/StringGrid.h"
#include "store/StringList.h"
#include "store/TextCase.h"
#include "store/mIniGue.h"
#include "ui_mChildWin.h"

namespace velmora {

bool TChildWin::GoToKey(const std::string& Key) {
    TStringList keys;
    for (size_t page = 0; page < m_pageNames.size(); ++page) {
        DefinitionIni->ReadSection(m_pageNames[page], keys);
        for (size_t row = 0; row < keys.Count(); ++row) {
            if (!EqualsNoCase(keys[row], Key)) continue;
            // Showing another page fills the value grid for it before the row is chosen.
            ui->PageControl1->setCurrentIndex(static_cast<int>(page));
            StringGrid& grid = *ui->StringGrid2;
            grid.SetRow(static_cast<int>(row));
            grid.setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return false;
}

}  // namespace velmora
