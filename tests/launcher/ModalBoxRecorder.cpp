#include "ModalBoxRecorder.h"

#include "ZMessageBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

ModalBoxRecorder::ModalBoxRecorder()
{
    connect(&timer, &QTimer::timeout, this, &ModalBoxRecorder::closeActiveBox);
    timer.start(10);
}

void ModalBoxRecorder::closeActiveBox()
{
    auto* box = qobject_cast<ZMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    texts.append(box->text());
    QStringList labels;
    for (const QPushButton* button : box->buttons())
        labels.append(button->text());
    buttonTexts.append(labels.join(QLatin1Char('|')));
    hadIcon.append(!box->iconPixmap().isNull());
    frames.append(box->geometry());
    const QLabel* label = nullptr;
    for (const QLabel* candidate : box->findChildren<QLabel*>())
        if (candidate->text() == box->text())
            label = candidate;
    bool whole = label != nullptr;
    for (const QString& line : box->text().split(QLatin1Char('\n')))
        whole = whole && label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width();
    linesWhole.append(whole);
    QTest::keyClick(box, Qt::Key_Return);
}
