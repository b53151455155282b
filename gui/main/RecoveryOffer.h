// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/recovery/RecoveryFile.h"

namespace velmora {

class Boxes;
class DocumentCommands;
class DocumentLayers;
class EditingSession;
struct Globals;
struct Recovery;
class RecoveryClaim;
class RecoveryKeeper;
class Workspace;

// The recovery copies that earlier runs left: offered as one list (restore, discard or compare
// one, or ask again at the next start), and the one chosen restored where its session was open.
// Each file offered is held meanwhile, so that a copy of the program starting now does not offer
// it too.
class RecoveryOffer {
  public:
    // What the offer asks of the window it belongs to.
    class Host {
      public:
        // Closes every window that reads the stores; run before a restore replaces them.
        virtual void CloseCategoryWindows() = 0;
        // Starts on the settings of `workingDir` as at start-up.
        virtual void LoadProgramFolder(const std::string& workingDir) = 0;
        // The Changes window compares the document with `fileName`.
        virtual void CompareWithFile(const std::string& fileName) = 0;
        // The layers over the document, which a copy may hold too.
        virtual DocumentLayers& Layers() = 0;
        // A mod's kinds come back together: the session, the mod opened from `dir` without a
        // question (throws IniError when it cannot be read), and kind `fileType` shown.
        virtual EditingSession* Session() = 0;
        virtual void OpenModAsked(const std::string& dir) = 0;
        virtual void ShowModKind(const std::string& fileType) = 0;

      protected:
        ~Host() = default;
    };

    // Everything given outlives the offer; the recovery files are those of `keeper`'s folder.
    RecoveryOffer(Workspace& workspace, const Globals& globals, Boxes& boxes, RecoveryKeeper& keeper,
                  DocumentCommands& documents, Host& host);

    // The copies of every document but `except` (none: of all), as at the start, where a copy that
    // cannot be read is reported. The copies of a document opened at the start were offered as it
    // opened: they are not asked about twice.
    void OfferAll(const std::string& except = std::string());
    // The copies of the document just opened from `documentFile`.
    void OfferFor(const std::string& documentFile);

  private:
    // A copy offered, held meanwhile.
    struct Offer {
        std::shared_ptr<RecoveryClaim> Claim;
        velmora::Recovery Copy;
    };

    // The copies of `documentFile` only, or (with `thatDocument` false) of all documents but it.
    void OfferCopies(const std::string& documentFile, bool thatDocument);
    // Opens the session a recovery file holds, in its program folder and kind of file, and makes
    // the file the session's copy; with `compare`, the Changes window then compares it with the
    // document's file on disk.
    void RestoreRecovery(std::shared_ptr<RecoveryClaim> claim, const Recovery& recovery, bool compare,
                         std::vector<Offer>& others);
    // A copy of a kind of a mod comes back with the mod, and so do the copies of its other kinds
    // among `others`, which leave that list. False when the mod cannot be opened again.
    bool RestoreMod(std::shared_ptr<RecoveryClaim> claim, const Recovery& recovery,
                    std::vector<Offer>& others);

    Workspace& m_workspace;
    const Globals& m_globals;
    Boxes& m_boxes;
    RecoveryKeeper& m_keeper;
    DocumentCommands& m_documents;
    Host& m_host;
};

}  // namespace velmora
