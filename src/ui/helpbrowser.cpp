#include "ui/helpbrowser.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/helpcontext.h"

// The help pages live in a static library: their resource is registered by name.
static void InitHelpResource() {
    Q_INIT_RESOURCE(help);
}

namespace sonvara {

QString HelpTopicFor(int context) {
    switch (context) {
        case kHelpMain: return QStringLiteral("index.htm");
        case kHelpOptions: return QStringLiteral("Configuration.htm");
        case kHelpTrackProperties: return QStringLiteral("Editid3tags.htm");
        case kHelpAnalysis: return QStringLiteral("Analyzingtracks.htm");
        case kHelpMp3ToWav: return QStringLiteral("Converting_MP3_Files.htm");
        case kHelpWavToMp3: return QStringLiteral("Converting_WAV_Files.htm");
        case kHelpMp3ToMp3: return QStringLiteral("Converting_MP3_to_MP3_Files.htm");
        case kHelpLoudness: return QStringLiteral("Loudness.htm");
        default: return {};
    }
}

QUrl HelpPageUrl(const QString& topic) {
    return QUrl(QStringLiteral("qrc:/help/") + topic);
}

CHelpBrowser::CHelpBrowser(QWidget* parent) : QDialog(parent) {
    InitHelpResource();
    setObjectName("HelpBrowser");
    setWindowTitle(tr("Velmora Sonvara 2.0 Help"));
    setAccessibleName(tr("Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_Browser = new QTextBrowser(this);
    m_Browser->setObjectName("HelpText");
    m_Browser->setAccessibleName(tr("Help page"));
    m_Browser->setOpenExternalLinks(true);
    m_Browser->setSearchPaths({QStringLiteral(":/help")});

    auto* back = new QPushButton(tr("&Back"), this);
    auto* forward = new QPushButton(tr("&Forward"), this);
    auto* contents = new QPushButton(tr("&Contents"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, m_Browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_Browser, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { OpenTopic(HelpTopicFor(kHelpMain)); });
    connect(m_Browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_Browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(m_Browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = m_Browser->documentTitle();
        setWindowTitle(title.isEmpty() ? tr("Velmora Sonvara 2.0 Help")
                                       : tr("Velmora Sonvara 2.0 Help - %1").arg(title));
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* top = new QHBoxLayout;
    top->addWidget(back);
    top->addWidget(forward);
    top->addWidget(contents);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_Browser, 1);
    layout->addWidget(buttons);
    resize(640, 520);
}

void CHelpBrowser::OpenTopic(const QString& topic) {
    m_Browser->setSource(HelpPageUrl(topic));
}

QString CHelpBrowser::CurrentTopic() const {
    return m_Browser->source().fileName();
}

CHelpBrowserHost::~CHelpBrowserHost() {
    delete m_Browser.data();
}

CHelpBrowser* CHelpBrowserHost::ShowHelpTopic(int context, QWidget* parent) {
    const QString topic = HelpTopicFor(context);
    if (topic.isEmpty()) {
        return nullptr;
    }
    CHelpBrowser* browser = m_Browser.data();
    if (browser != nullptr && browser->parentWidget() != parent) {
        // A window below a modal dialog cannot be used while the dialog is open: the browser
        // moves to the dialog in use.
        const QRect where = browser->geometry();
        browser->setParent(parent, browser->windowFlags());
        browser->setGeometry(where);
    }
    if (browser == nullptr) {
        browser = new CHelpBrowser(parent);
        m_Browser = browser;
    }
    browser->OpenTopic(topic);
    browser->show();
    browser->raise();
    browser->activateWindow();
    return browser;
}

QWidget* CHelpBrowserHost::HelpParent(QWidget* fallback) const {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    QWidget* active = QApplication::activeWindow();
    if (active != nullptr && active != m_Browser.data()) {
        return active;
    }
    return fallback;
}

bool CHelpKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier && watched->isWidgetType()) {
        if (event->type() == QEvent::KeyPress) {
            m_Browser.ShowHelpTopic(m_Context.Get(), m_Browser.HelpParent(m_Fallback));
        }
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace sonvara
