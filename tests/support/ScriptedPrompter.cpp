#include "ScriptedPrompter.h"

#include <QTest>

namespace vx::test {

ScriptedPrompter& ScriptedPrompter::expect(const Message& message, Answer answer)
{
    m_steps.push_back({Step::Ask, message, answer, {}});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::expect(const QString& text, const QString& title, Icon icon, Buttons buttons,
                                           Answer answer)
{
    return expect(Message{text, title, icon, buttons}, answer);
}

ScriptedPrompter& ScriptedPrompter::expectOpenFile(const QString& result)
{
    m_steps.push_back({Step::Open, {}, Answer::Ok, result});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::expectSaveFile(const QString& result)
{
    m_steps.push_back({Step::Save, {}, Answer::Ok, result});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::expectFolder(const QString& result)
{
    m_steps.push_back({Step::Folder, {}, Answer::Ok, result});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::expectPassword(const QString& title, const QString& password, bool accept)
{
    m_steps.push_back({Step::Password, Message{QString(), title, Icon::None, Buttons::OkCancel},
                       accept ? Answer::Ok : Answer::Cancel, password});
    return *this;
}

bool ScriptedPrompter::askPassword(const QString& text, const QString& title, QString& password)
{
    m_shown.append(QStringLiteral("[%1] (password) %2").arg(title, text));
    if (m_steps.empty() || m_steps.front().kind != Step::Password) {
        m_problems.append(QStringLiteral("password chiesta inattesa: ") + title);
        return false;
    }
    const Step step = m_steps.front();
    m_steps.pop_front();
    if (step.message.title != title)
        m_problems.append(QStringLiteral("password: titolo atteso %1, mostrato %2").arg(step.message.title, title));
    password = step.path;
    return step.answer == Answer::Ok;
}

void ScriptedPrompter::goOn(bool retry, int retries)
{
    m_goOn = true;
    m_retry = retry;
    m_retriesLeft = retries;
}

Answer ScriptedPrompter::ask(const Message& message)
{
    m_shown.append(describe(message));
    if (m_goOn) {
        switch (message.buttons) {
        case Buttons::RetryCancel:
            return m_retry && m_retriesLeft-- > 0 ? Answer::Retry : Answer::Cancel;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::Yes;
        default:
            return Answer::Ok;
        }
    }
    if (m_steps.empty() || m_steps.front().kind != Step::Ask) {
        m_problems.append(QStringLiteral("messaggio inatteso: ") + describe(message));
        return message.buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    const Step step = m_steps.front();
    m_steps.pop_front();
    if (!(step.message == message)) {
        m_problems.append(QStringLiteral("atteso:   ") + describe(step.message) + QStringLiteral("\nmostrato: ") +
                          describe(message));
    }
    return step.answer;
}

QString ScriptedPrompter::takeFile(Step::Kind kind, const FileChoice& choice)
{
    if (m_steps.empty() || m_steps.front().kind != kind) {
        m_problems.append(QStringLiteral("scelta di file inattesa: ") + choice.title);
        return QString();
    }
    const QString path = m_steps.front().path;
    m_steps.pop_front();
    return path;
}

QString ScriptedPrompter::chooseOpenFile(const FileChoice& choice)
{
    return takeFile(Step::Open, choice);
}

QString ScriptedPrompter::chooseSaveFile(const FileChoice& choice)
{
    return takeFile(Step::Save, choice);
}

QString ScriptedPrompter::chooseFolder(const FileChoice& choice)
{
    return takeFile(Step::Folder, choice);
}

ScriptedPrompter::~ScriptedPrompter()
{
    const QString left = pending();
    if (left.isEmpty() || left == m_lookedAt)
        return;
    if (!QTest::currentTestFunction())
        qFatal("ScriptedPrompter: %s", qPrintable(left));
    if (!QTest::currentTestFailed())
        QTest::qFail(qPrintable(QStringLiteral("messaggi non verificati:\n") + left), __FILE__, __LINE__);
}

QString ScriptedPrompter::problems()
{
    m_lookedAt = pending();
    return m_lookedAt;
}

QString ScriptedPrompter::pending() const
{
    QStringList all = m_problems;
    for (const Step& step : m_steps) {
        all.append(step.kind == Step::Ask        ? QStringLiteral("mai mostrato: ") + describe(step.message)
                   : step.kind == Step::Password ? QStringLiteral("password mai chiesta: ") + step.message.title
                                                 : QStringLiteral("scelta di file mai chiesta"));
    }
    return all.join(QLatin1Char('\n'));
}

} // namespace vx::test
