// The window's receiving slot on arbitrary bytes in arbitrary splits: every
// answer the receiver finds is applied to the real controls, and every
// control stays within its range whatever the servo sent.

#include "app/widget.h"
#include "editor/myspinbox.h"
#include "model/parameterset.h"
#include "protocol/framereceiver.h"

#include "arrivals.h"
#include "fuzzcheck.h"

#include <QApplication>
#include <QCheckBox>

#include <cstdint>

namespace {

Widget *window()
{
    static int argc = 1;
    static char name[] = "fuzz_window";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    Q_UNUSED(app);
    static Widget *w = new Widget;
    return w;
}

void checkControls(Widget *w)
{
    for (const ParameterInfo &param : kParameters) {
        const QString name = QLatin1String(param.name);
        if (isSwitch(param.id)) {
            FUZZ_CHECK(w->findChild<QCheckBox *>(QLatin1String("cB_") + name));
            continue;
        }
        const auto *spin = w->findChild<MySpinBox *>(QLatin1String("spinBox_") + name);
        FUZZ_CHECK(spin);
        FUZZ_CHECK(spin->value() >= param.minimum && spin->value() <= param.maximum);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Widget *w = window();
    QString buffer;
    forEachArrival(data, size, [&](const QByteArray &arrival) {
        FrameReceiver::appendBytes(buffer, arrival);
        const auto answers = FrameReceiver::takeAnswers(buffer);
        for (const FrameReceiver::Answer &answer : answers)
            w->applyParameterFrame(answer.frameText);
        checkControls(w);
    });
    return 0;
}
