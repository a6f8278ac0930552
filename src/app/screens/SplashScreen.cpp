#include "app/screens/SplashScreen.h"

#include "Version.h"
#include "app/Messages.h"
#include "ui/Caption.h"
#include "ui/Fonts.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace vx {

QString SplashScreen::versionText()
{
    return msg::app::versionLabel(kVersionMajor, kVersionMinor, kVersionRevision);
}

SplashScreen::SplashScreen(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("SplashScreen"));
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto* layout = new QVBoxLayout(frame);
    auto* product = new Caption(msg::app::productName(), frame);
    product->setFont(titleFont(product->font()));
    product->setAlignment(Qt::AlignCenter);
    auto* title = new Caption(msg::app::text(msg::app::Text::FrameCaption), frame);
    title->setAlignment(Qt::AlignCenter);
    auto* version = new Caption(versionText(), frame);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setAlignment(Qt::AlignRight);
    layout->addWidget(product);
    layout->addWidget(title);
    layout->addStretch();
    layout->addWidget(version);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    resize(460, 200);
}

void SplashScreen::closeEvent(QCloseEvent* event)
{
    event->accept();
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            destroy();
    });
}

} // namespace vx
