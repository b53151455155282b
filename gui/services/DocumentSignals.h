// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <set>
#include <string>

#include "core/document/Document.h"

namespace velmora {

// The document's news as Qt signals, for windows to connect to. It observes the document from its
// construction to its destruction, so it must go before the document does.
class DocumentSignals : public QObject, public DocumentObserver {
    Q_OBJECT

public:
    explicit DocumentSignals(Document& document, QObject* parent = nullptr);
    ~DocumentSignals() override;
    DocumentSignals(const DocumentSignals&) = delete;
    DocumentSignals& operator=(const DocumentSignals&) = delete;
    DocumentSignals(DocumentSignals&&) = delete;
    DocumentSignals& operator=(DocumentSignals&&) = delete;

signals:
    void valueChanged(const std::string& code, const std::string& key);
    void entriesChanged();
    // Once per edit, undo or redo, after its values or entries were told: for the views of the
    // session's models, which bring them up to date once for all the edit's news.
    void edited();
    void modifiedChanged(bool modified);
    void stepped(const velmora::EditFocus& focus);
    void historyChanged();

private:
    void ValueChanged(const std::string& code, const std::string& key) override { emit valueChanged(code, key); }
    void ValuesChanged(const std::set<TouchedValue>& touched) override {
        DocumentObserver::ValuesChanged(touched);
        emit edited();
    }
    void EntriesChanged() override {
        emit entriesChanged();
        emit edited();
    }
    void ModifiedChanged(bool modified) override { emit modifiedChanged(modified); }
    void Stepped(const EditFocus& focus) override { emit stepped(focus); }
    void HistoryChanged() override { emit historyChanged(); }

    Document& m_document;
};

}  // namespace velmora
