#pragma once

#include "link/Link.h"
#include "link/PanelHost.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>

#include <memory>

namespace tavrel::testing {

// A link whose answers are scripted: every write is recorded and moves the
// next queued answer into the input, which reads then take. Bytes put into
// `input` directly are stale data waiting before any write.
struct FakeLinkState {
    QVector<QByteArray> writes;
    QVector<QByteArray> answers;
    QByteArray input;
    int purges = 0;
    int closes = 0;
    qint64 acceptLimit = -1;  // accept at most this many bytes per write (-1: all)
};

class FakeLink final : public Link {
public:
    explicit FakeLink(std::shared_ptr<FakeLinkState> state) : m_state(std::move(state)) {}
    qint64 write(const QByteArray& bytes) override;
    QByteArray read(int count) override;
    void purgeInput() override;
    void close() override { ++m_state->closes; }

private:
    std::shared_ptr<FakeLinkState> m_state;
};

// A host that answers dialogs with queued field texts (or cancels) and
// records message boxes.
class ScriptedHost final : public PanelHost {
public:
    QString status;
    HostColour foreground = kWhite;
    HostColour background = kBlack;
    int foregroundSets = 0;
    QStringList messages;            // "caption|text"
    QVector<QStringList> answers;    // one entry per dialog; empty list means Cancel
    QVector<DialogRequest> shown;    // the requests as they were pre-filled

    QString statusText() const override { return status; }
    void setStatusText(const QString& text) override { status = text; }
    HostColour foregroundColour() const override { return foreground; }
    void setForegroundColour(HostColour colour) override { foreground = colour; ++foregroundSets; }
    HostColour backgroundColour() const override { return background; }
    void showMessage(const QString& text, const QString& caption) override { messages << caption + QLatin1Char('|') + text; }
    bool runDialog(DialogRequest& request) override;
    QStringList receivedTexts;       // "title|text" per text dialog shown
    void showReceivedText(const QString& title, const QString& text) override { receivedTexts << title + QLatin1Char('|') + text; }
};

} // namespace tavrel::testing
