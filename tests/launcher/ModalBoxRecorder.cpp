#include "ModalBoxRecorder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

ModalBoxRecorder::ModalBoxRecorder()
{
    connect(&timer, &QTimer::timeout, this, &ModalBoxRecorder::closeActiveBox);
    timer.start(10);
}

void ModalBoxRecorder::closeActiveBox()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    texts.append(box->text());
    QStringList labels;
    for (QAbstractButton* button : box->buttons())
        labels.append(button->text());
    buttonTexts.append(labels.join(QLatin1Char('|')));
    hadIcon.append(!box->iconPixmap().isNull());
    QTest::keyClick(box, Qt::Key_Return);
}
