#pragma once
// Where the plain listing goes: a page of fixed-pitch text lines placed in twips (1/1440 inch)
// from the printable origin of the page. The system printer, a PDF file and the tests' recorder
// all take the same calls, so the listing's geometry is checked without paper.

#include <QString>

namespace vx {

struct PageSetUp {
    bool landscape = true;
    QString fontFamily;
    int pointSize = 0;
    bool bold = false;

    bool operator==(const PageSetUp&) const = default;
};

class PrintTarget {
public:
    virtual ~PrintTarget() = default;

    // Applies orientation and font to the page being printed and to the ones after it.
    virtual void setUp(const PageSetUp& setUp) = 0;
    // The height of one line of the current font, in twips.
    virtual int lineAdvance() const = 0;
    // The height of the printable part of the page, in twips.
    virtual int pageHeight() const = 0;
    // One line of text whose top edge is `y` twips down and whose left edge is `x` twips across.
    virtual void text(int x, int y, const QString& line) = 0;
    // Ends the current page; what follows goes on a new page.
    virtual void endPage() = 0;
    // Ends the job. True when the target accepted the whole job.
    virtual bool endJob() = 0;
};

} // namespace vx
