#pragma once
// The seams a benchmark hands the core: nobody answers questions, nothing is opened; and the
// median of repeated timings.

#include "core/Desktop.h"
#include "core/Prompter.h"

#include <algorithm>
#include <vector>

namespace vx::bench {

class SilentPrompter : public Prompter {
public:
    explicit SilentPrompter(Answer answer = Answer::Ok) : m_answer(answer) {}
    Answer ask(const Message&) override { return m_answer; }
    QString chooseOpenFile(const FileChoice&) override { return {}; }
    QString chooseSaveFile(const FileChoice&) override { return {}; }
    bool askPassword(const QString&, const QString&, QString&) override { return false; }

private:
    Answer m_answer;
};

class NoDesktop : public Desktop {
public:
    bool openUrl(const QUrl&) override { return true; }
    bool showTextFile(const QString&) override { return true; }
};

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace vx::bench
