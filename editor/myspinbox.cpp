#include "editor/myspinbox.h"

MySpinBox::MySpinBox(QWidget *parent) : QSpinBox(parent) {}

MySpinBox::~MySpinBox() = default;

// setValue() clamps to the range, so a click at either end changes nothing.
void MySpinBox::addData()
{
    setValue(value() + singleStep());
}

void MySpinBox::minusData()
{
    setValue(value() - singleStep());
}
