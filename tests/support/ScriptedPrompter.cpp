#include "ScriptedPrompter.h"

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

Answer ScriptedPrompter::ask(const Message& message)
{
    m_shown.append(describe(message));
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

QString ScriptedPrompter::problems() const
{
    QStringList all = m_problems;
    for (const Step& step : m_steps) {
        all.append(step.kind == Step::Ask ? QStringLiteral("mai mostrato: ") + describe(step.message)
                                          : QStringLiteral("scelta di file mai chiesta"));
    }
    return all.join(QLatin1Char('\n'));
}

} // namespace vx::test
