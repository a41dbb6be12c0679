// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeLink.h"

namespace tavrel::testing {

qint64 FakeLink::write(const QByteArray& bytes)
{
    FakeLinkState& s = *m_state;
    s.writes.push_back(bytes);
    if (s.lost)
        return 0;
    if (s.loseAfterBytes >= 0 && s.bytesTaken + bytes.size() > s.loseAfterBytes) {
        const qint64 taken = qMax<qint64>(0, s.loseAfterBytes - s.bytesTaken);
        s.bytesTaken += taken;
        s.lost = true;
        return taken;
    }
    if (!s.answers.isEmpty())
        s.input += s.answers.takeFirst();
    qint64 taken = bytes.size();
    if (s.acceptLimit >= 0)
        taken = qMin(taken, s.acceptLimit);
    if (s.failAfterBytes >= 0)
        taken = qMin(taken, qMax<qint64>(0, s.failAfterBytes - s.bytesTaken));
    s.bytesTaken += taken;
    return taken;
}

QByteArray FakeLink::read(int count)
{
    FakeLinkState& s = *m_state;
    QByteArray got;
    if (s.reads++ == s.loseAtRead)
        s.lost = true;
    if (s.lost)
        return got;
    const qint64 budget = s.timeouts.readBudgetMs(count);
    qint64 spent = 0;
    while (got.size() < count) {
        if (s.input.isEmpty() && s.more)
            s.input += s.more();
        if (s.clock) {
            const bool nothingComes = s.input.isEmpty();
            const bool pauseEndsIt = !got.isEmpty() && s.byteGapMs > s.timeouts.readIntervalMs;
            if (pauseEndsIt) {
                s.clock->now += qMin<qint64>(s.timeouts.readIntervalMs, budget - spent);
                break;
            }
            if (nothingComes || spent + s.byteGapMs > budget) {
                s.clock->now += budget - spent;
                break;
            }
            s.clock->now += s.byteGapMs;
            spent += s.byteGapMs;
        } else if (s.input.isEmpty()) {
            break;
        }
        got += s.input.at(0);
        s.input.remove(0, 1);
    }
    s.delivered += got;
    return got;
}

void FakeLink::purgeInput()
{
    ++m_state->purges;
    m_state->input.clear();
}

bool ScriptedHost::runDialog(DialogRequest& request)
{
    shown.push_back(request);
    if (answers.isEmpty())
        return false;
    const QStringList answer = answers.takeFirst();
    if (answer.isEmpty())
        return false;
    for (int i = 0; i < request.fields.size() && i < answer.size(); ++i)
        request.fields[i].value = answer.at(i);
    return true;
}

} // namespace tavrel::testing
