#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QUrl>

class QTextBrowser;

namespace sonvara {

class CHelpContext;

// The help page of a help-context number: 1000 the start page, 1001 to 1006 the topics of the
// options sheet, the properties sheet, the analysis and the three conversions; empty for any
// other number (such a number opens nothing).
QString HelpTopicFor(int context);

// The help pages: our HTML pages, built into the program under ":/help".
QUrl HelpPageUrl(const QString& topic);

// The in-program help browser: one window with the pages, Back, Forward and Contents.
class CHelpBrowser : public QDialog {
    Q_OBJECT
public:
    explicit CHelpBrowser(QWidget* parent = nullptr);

    void OpenTopic(const QString& topic);
    QTextBrowser* Browser() const { return m_Browser; }
    QString CurrentTopic() const;

private:
    QTextBrowser* m_Browser;
};

// The program's one help browser. The program object owns the host; the browser window is made
// on the first topic asked for, deleted when it is closed, and made again on the next.
class CHelpBrowserHost {
public:
    CHelpBrowserHost() = default;
    ~CHelpBrowserHost();
    CHelpBrowserHost(const CHelpBrowserHost&) = delete;
    CHelpBrowserHost& operator=(const CHelpBrowserHost&) = delete;

    // Opens the topic of the help-context number in the help browser, raised above `parent`
    // (the modal dialog in use, or the main window). Null when the number has no topic.
    CHelpBrowser* ShowHelpTopic(int context, QWidget* parent);
    // The help browser if one is open.
    CHelpBrowser* Browser() const { return m_Browser.data(); }
    // The window a help browser opened now belongs to: the modal dialog in use, else the
    // active window (not the browser itself), else `fallback`.
    QWidget* HelpParent(QWidget* fallback) const;

private:
    QPointer<CHelpBrowser> m_Browser;
};

// F1 anywhere in the program, also in a modal dialog: the help browser on the topic of the
// current help-context number. Installed once on the application.
class CHelpKeyFilter : public QObject {
    Q_OBJECT
public:
    CHelpKeyFilter(CHelpContext& context, CHelpBrowserHost& browser, QObject* parent = nullptr)
        : QObject(parent), m_Context(context), m_Browser(browser) {}
    void SetFallbackParent(QWidget* parent) { m_Fallback = parent; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CHelpContext& m_Context;
    CHelpBrowserHost& m_Browser;
    QWidget* m_Fallback = nullptr;
};

}  // namespace sonvara
