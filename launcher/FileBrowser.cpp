#include "FileBrowser.h"

#include "DirectoryListing.h"
#include "EntryListModel.h"
#include "LaunchScript.h"
#include "PendingInput.h"
#include "RES_ICON_Reader.h"
#include "WidestNameDelegate.h"
#include "ZMessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QScroller>
#include <QStyleHints>
#include <algorithm>

FileBrowser::FileBrowser(QWidget* parent, const char* name)
    : QListView(parent)
{
    setObjectName(QString::fromUtf8(name));
    // One row size for all, that of the widest name: a listing of any size
    // lays out without measuring every row.
    setUniformItemSizes(true);
    setModel(new EntryListModel(this));
    setItemDelegate(new WidestNameDelegate(this));
    // A finger drags and flicks the list. The mouse gesture serves touch too:
    // the list takes no touch events, so Qt turns touches into mouse input.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QScroller::grabGesture(viewport(), QScroller::LeftMouseButtonGesture);
    // Presses reach the rows at once, so that a click makes a row current and
    // two make a double click however long the list is; a press that turns
    // into a drag is taken back when the list starts to scroll.
    QScroller* scroller = QScroller::scroller(viewport());
    QScrollerProperties scrolling = scroller->scrollerProperties();
    scrolling.setScrollMetric(QScrollerProperties::MousePressEventDelay, 0);
    scroller->setScrollerProperties(scrolling);
    // The list fills its background itself, behind a see-through viewport,
    // so a picture there stays put while the rows scroll over it: an opaque
    // viewport is scrolled by moving its pixels, the picture's with them.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    viewport()->setAutoFillBackground(false);
    setGeometry(0, 40, 240, 250);
    setDir(QDir::currentPath());

    connect(this, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { emit selected(index.row()); });
    // The launch must read the chosen item before entering a directory can
    // replace the rows.
    connect(this, &FileBrowser::selected, this, &FileBrowser::itemHighlighted);
    connect(this, &FileBrowser::selected, this, &FileBrowser::itemSelected);
}

FileBrowser::~FileBrowser() = default;

EntryListModel* FileBrowser::entries() const
{
    return static_cast<EntryListModel*>(model());
}

WidestNameDelegate* FileBrowser::rows() const
{
    return static_cast<WidestNameDelegate*>(itemDelegate());
}

QString FileBrowser::itemText(int index) const
{
    return entries()->name(index);
}

QString FileBrowser::entryPath(int index) const
{
    const QString name = itemText(index);
    return name.isNull() ? QString() : currentDir + QLatin1Char('/') + name;
}

void FileBrowser::setDir(const QString& path)
{
    std::optional<DirectoryListing> listing = listMediaDirectory(path);
    if (!listing)
        return;
    rows()->findWidest(listing->names, font());
    entries()->setNames(std::move(listing->names));
    currentDir = listing->canonicalPath;
    // A folder opens at its top with its first row current, so that the
    // cursor keys and Enter act at once. The rows are laid out when shown.
    setCurrentIndex(model()->index(0, 0));
    scrollToTop();
    horizontalScrollBar()->setValue(0);
}

void FileBrowser::itemSelected(int index)
{
    const QString name = itemText(index);
    if (name == QLatin1String("..")) {
        goUp();
        return;
    }
    const QString path = entryPath(index);
    if (!QFileInfo(path).isDir())
        return;
    const QString from = currentDir;
    setDir(path);
    if (currentDir == from)
        return;
    if (!trail.empty() && trail.back().into != from)
        trail.clear();
    trail.push_back({ from, name, currentDir });
}

void FileBrowser::goUp()
{
    const QString left = currentDir;
    // A folder removed while shown has no ".." left: its nearest ancestor
    // that still exists stands in for its parent.
    QString parent = left + QLatin1String("/..");
    for (QString ancestor = left; !QFileInfo(parent).isDir() && ancestor != QLatin1String("/");)
        parent = ancestor = QFileInfo(ancestor).path();
    setDir(parent);
    if (currentDir == left)
        return;
    // Back up, the row the user came down by is current, by the name they
    // chose, a link's included; otherwise the folder just left.
    QString cameBy = QFileInfo(left).fileName();
    if (!trail.empty() && trail.back().into == left) {
        if (trail.back().from == currentDir)
            cameBy = trail.back().name;
        trail.pop_back();
    } else {
        trail.clear();
    }
    const QModelIndex row = model()->index(entries()->row(cameBy), 0);
    if (row.isValid()) {
        setCurrentIndex(row);
        scrollTo(row);
    }
}

void FileBrowser::itemHighlighted(int index)
{
    const QString path = entryPath(index);
    if (!QFileInfo(path).isFile())
        return;
    if (!writeLaunchScript(playerCommandLine(path, { sound, fps, hi })))
        return;
    runLaunchScript();
    // What the user gave while the player ran was meant for the player; it is
    // dropped at once, before anything else, so that what they give next
    // counts. The player drew over the screen: every widget is drawn again
    // (an update of the window alone leaves out what its opaque children
    // cover).
    dropPendingInput();
    window()->update();
    for (QWidget* widget : window()->findChildren<QWidget*>())
        widget->update();
    emit picked(path);
}

void FileBrowser::setFPS(bool on)
{
    fps = on;
}

void FileBrowser::setSound(bool on)
{
    sound = on;
}

void FileBrowser::setHi(bool on)
{
    hi = on;
}

void FileBrowser::announceToggle(bool& flag, const char* messageWhenOn,
                                 const char* messageWhenOff)
{
    // The box names the state the flag is about to take.
    const char* message = flag ? messageWhenOff : messageWhenOn;
    const RES_ICON_Reader iconReader;
    ZMessageBox::information(this, iconReader.getIcon("Dialog_Complete.gif"),
                             QString::fromLatin1(message), QStringLiteral("OK"), QString(),
                             QString(), 1);
    flag = !flag;
}

void FileBrowser::showFPS()
{
    announceToggle(fps, " Display FPS : On", " Display FPS : Off");
}

void FileBrowser::hasSound()
{
    announceToggle(sound, " Sound : On", " Sound : Off");
}

void FileBrowser::useHi()
{
    announceToggle(hi, " Hi-res Enabled", " Hi-res Disabled");
}

void FileBrowser::keyPressEvent(QKeyEvent* event)
{
    const int vertical = event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0;
    if (vertical != 0 && event->modifiers() == Qt::NoModifier) {
        const int rows = heldKey.rows(*event, rowsPerPage());
        if (rows > 1) {
            moveCurrent(vertical * rows);
            return;
        }
    }
    // Left and Right read a name wider than the list, a few characters at a
    // time; the list does nothing with them otherwise.
    const int sideways = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    if (sideways == 0) {
        QListView::keyPressEvent(event);
        return;
    }
    QScrollBar* bar = horizontalScrollBar();
    bar->setValue(bar->value() + sideways * charactersPerSidewaysStep * fontMetrics().averageCharWidth());
}

void FileBrowser::moveCurrent(int rows)
{
    const int last = model()->rowCount() - 1;
    if (last < 0)
        return;
    const QModelIndex row = model()->index(std::clamp(currentIndex().row() + rows, 0, last), 0);
    setCurrentIndex(row);
    scrollTo(row);
}

int FileBrowser::rowsPerPage() const
{
    const int rowHeight = sizeHintForRow(0);
    return rowHeight > 0 ? std::max(1, viewport()->height() / rowHeight) : 1;
}

bool FileBrowser::viewportEvent(QEvent* event)
{
    const bool handled = QListView::viewportEvent(event);
    if (event->type() == QEvent::MouseButtonPress)
        takeTap(*static_cast<QMouseEvent*>(event));
    else if (event->type() == QEvent::MouseButtonDblClick)
        lastTap = {};
    return handled;
}

// Qt makes a double click of two taps only where the second lands on the
// point of the first; a finger never does. Two taps on a row, as close in
// time and place as Qt allows a double tap, choose it as a double click does.
void FileBrowser::takeTap(const QMouseEvent& press)
{
    const bool tap = press.source() == Qt::MouseEventSynthesizedByQt && press.button() == Qt::LeftButton;
    const QPoint at = press.position().toPoint();
    const QModelIndex row = indexAt(at);
    const QStyleHints* hints = QGuiApplication::styleHints();
    const bool second = tap && lastTap.pending
        && press.timestamp() - lastTap.time < quint64(hints->mouseDoubleClickInterval())
        && (at - lastTap.at).manhattanLength() <= hints->touchDoubleTapDistance()
        && row == indexAt(lastTap.at);
    lastTap = { at, press.timestamp(), tap && !second };
    if (second && row.isValid())
        emit activated(row);
}

void FileBrowser::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats its release; one toggle per real press is meant.
    if (event->isAutoRepeat())
        return;
    switch (event->key()) {
    case Qt::Key_F9:
        hasSound();
        break;
    case Qt::Key_F10:
        showFPS();
        break;
    case Qt::Key_F2:
        useHi();
        break;
    default:
        // Other releases are deliberately not handed to the list.
        break;
    }
}
