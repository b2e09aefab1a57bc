#ifndef NIMBAL_MYSPINBOX_H
#define NIMBAL_MYSPINBOX_H

#include <QSpinBox>

// The value field of a numeric parameter. Its own arrows are hidden by its
// style sheet; the plus and minus buttons beside it call these slots.
class MySpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit MySpinBox(QWidget *parent = nullptr);
    ~MySpinBox() override;

public slots:
    void addData();
    void minusData();
};

#endif
