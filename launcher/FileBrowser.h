#ifndef FILEBROWSER_H
#define FILEBROWSER_H

#include "HeldKeyPace.h"

#include <QListView>
#include <QPoint>
#include <QString>
#include <vector>

class EntryListModel;
class QKeyEvent;
class QMouseEvent;
class WidestNameDelegate;

// The media list: one directory's subdirectories and media files. Choosing a
// directory enters it, choosing a file plays it; F9, F10 and F2 flip the
// player's sound, frame-rate display and high resolution. Held Up and Down
// speed up, as HeldKeyPace says.
class FileBrowser : public QListView
{
    Q_OBJECT

public:
    FileBrowser(QWidget* parent, const char* name);
    ~FileBrowser() override;

    // Shows `path` and makes it current, or changes nothing when it cannot be
    // read.
    void setDir(const QString& path);

    void setFPS(bool on);
    void setSound(bool on);
    void setHi(bool on);

    const QString& directory() const { return currentDir; }
    QString itemText(int index) const;

signals:
    // An item was chosen: Enter on the current item, or a double tap.
    void selected(int index);
    // A file was handed to the player and the player has exited.
    void picked(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private slots:
    void itemHighlighted(int index);
    void itemSelected(int index);
    void showFPS();
    void hasSound();
    void useHi();

private:
    EntryListModel* entries() const;
    WidestNameDelegate* rows() const;
    // The path an item names, or a null string for a row that does not exist
    // (which names neither a file nor a directory).
    QString entryPath(int index) const;
    void announceToggle(bool& flag, const char* messageWhenOn, const char* messageWhenOff);
    // Lists the parent of the current folder, and makes current the row the
    // user came down by.
    void goUp();
    // Chooses the row tapped when `press` is a finger's second tap on it.
    void takeTap(const QMouseEvent& press);
    // Moves the current row by `rows` (up when negative), within the list.
    void moveCurrent(int rows);
    int rowsPerPage() const;

    // The folder `into`, entered from `from` by choosing `name`.
    struct Step
    {
        QString from;
        QString name;
        QString into;
    };
    static constexpr int charactersPerSidewaysStep = 4;

    QString currentDir;
    bool sound = true;
    bool fps = false;
    bool hi = false;
    // Where and when the last tap that may begin a double tap landed.
    struct Tap
    {
        QPoint at;
        quint64 time = 0;
        bool pending = false;
    };
    Tap lastTap;
    HeldKeyPace heldKey;
    // The steps down to the folder shown, each entered from the one before,
    // for the way back up; empty once the walk left that chain.
    std::vector<Step> trail;
};

#endif
