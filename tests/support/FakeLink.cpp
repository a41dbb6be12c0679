#include "support/FakeLink.h"

namespace tavrel::testing {

qint64 FakeLink::write(const QByteArray& bytes)
{
    m_state->writes.push_back(bytes);
    if (!m_state->answers.isEmpty())
        m_state->input += m_state->answers.takeFirst();
    if (m_state->acceptLimit >= 0 && m_state->acceptLimit < bytes.size())
        return m_state->acceptLimit;
    return bytes.size();
}

QByteArray FakeLink::read(int count)
{
    const QByteArray taken = m_state->input.left(count);
    m_state->input.remove(0, taken.size());
    return taken;
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
