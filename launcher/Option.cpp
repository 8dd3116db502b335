#include "Option.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

Option::Option(QWidget* parent, const char* name)
    : QGroupBox(parent)
{
    setObjectName(QString::fromUtf8(name));
    setGeometry(0, 0, 240, 320);

    auto* back = new QPushButton(QStringLiteral("Back"), this);
    new QLabel(QStringLiteral("Options"), this);
    auto* showFps = new QCheckBox(QStringLiteral("Show FPS"), this);
    auto* sound = new QCheckBox(QStringLiteral("Sound"), this);
    showFps->setGeometry(20, 20, 200, 30);
    sound->setGeometry(20, 60, 200, 30);
    back->setGeometry(0, 290, 120, 30);

    connect(back, &QPushButton::clicked, this, &QWidget::hide);
}

Option::~Option() = default;

void Option::setFPS(bool on)
{
    fps = on;
    update();
}

void Option::showFPS(bool on)
{
    fps = !on;
}
