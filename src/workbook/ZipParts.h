#pragma once
// A workbook's zip archive as its readers take it: entries by name, each refused when its size in
// the zip directory is beyond its limit, and the XML of an entry parsed as it is inflated.

#include "workbook/Workbook.h"
#include "workbook/XmlTokens.h"

#include <QString>

#include <functional>
#include <memory>

struct zip;

namespace vx::workbook {

class ZipParts {
public:
    ZipParts();
    ~ZipParts();
    ZipParts(const ZipParts&) = delete;
    ZipParts& operator=(const ZipParts&) = delete;

    bool open(const QString& path, Failure& failure);
    // The uncompressed size of every entry and of all together, as the directory states them.
    bool withinLimits(qint64 entryLimit, qint64 totalLimit, Failure& failure) const;
    bool has(const QString& name) const;

    // Feeds the XML of entry `name` to `step`, token by token, as it is inflated; `step` returns
    // false to stop with the failure it set. False, with the failure, when the entry is missing,
    // beyond `limit`, or not well-formed.
    using Step = std::function<bool(XmlTokens& xml, XmlTokens::Token token)>;
    bool parse(const QString& name, qint64 limit, const Step& step, Failure& failure);

private:
    struct Close {
        void operator()(zip* z) const;
    };
    std::unique_ptr<zip, Close> m_zip;
};

// Sets `failure` when none is set yet: the first reason is the one told.
void fail(Failure& failure, Failure::Kind kind, Failure::What what = Failure::What::File, qint64 limit = 0,
          const QString& part = QString());

} // namespace vx::workbook
