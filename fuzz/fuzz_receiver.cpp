// Frame search and decode on arbitrary bytes in arbitrary splits.
//
// Input: the first byte seeds the sizes of the arrivals; the rest are the
// bytes from the servo. Every arrival goes through the same steps as the
// window's serial slot: hex text appended to the buffer, answers taken out
// and applied to the real controls.

#include "app/widget.h"
#include "editor/myspinbox.h"
#include "editor/parameterset.h"
#include "protocol/framereceiver.h"
#include "protocol/parameterframe.h"

#include "fuzzcheck.h"

#include <QApplication>
#include <QCheckBox>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

Widget *window()
{
    static int argc = 1;
    static char name[] = "fuzz_receiver";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    Q_UNUSED(app);
    static Widget *w = new Widget;
    return w;
}

bool isHexUpper(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

void checkAnswer(const FrameReceiver::Answer &answer)
{
    using namespace ParameterFrame;
    const QString &text = answer.frameText;
    FUZZ_CHECK(text.size() == kTextLength);
    for (QChar c : text)
        FUZZ_CHECK(isHexUpper(c));
    FUZZ_CHECK(text.startsWith(QLatin1String("55")));
    FUZZ_CHECK(text.endsWith(QLatin1String("AA")));
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    unsigned sum = 0;
    for (int i = 1; i <= kPayloadLength; ++i)
        sum += uchar(bytes.at(i));
    FUZZ_CHECK((sum & 0xFF) == uchar(bytes.at(kChecksumOffset)));
    const unsigned f = uchar(bytes.at(kFlagsOffset));
    if (answer.kind == FrameReceiver::AnswerKind::ReadAnswer)
        FUZZ_CHECK(f & kReadAnswerBit);
    else
        FUZZ_CHECK(!(f & kReadAnswerBit) && (f & kWriteAnswerBit));
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
    if (size == 0)
        return 0;
    Widget *w = window();
    uint32_t seed = data[0];
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    size_t left = size - 1;

    QString buffer;
    while (left > 0) {
        // Arrival sizes from 1 to 64 bytes, drawn from a tiny LCG on the seed.
        seed = seed * 1103515245u + 12345u;
        const size_t piece = std::min<size_t>(left, 1 + (seed >> 16) % 64);
        FrameReceiver::appendBytes(buffer, QByteArray(bytes, int(piece)));
        const auto answers = FrameReceiver::takeAnswers(buffer);
        FUZZ_CHECK(buffer.size() < ParameterFrame::kTextLength);
        FUZZ_CHECK(buffer.size() % 2 == 0);
        for (const FrameReceiver::Answer &answer : answers) {
            checkAnswer(answer);
            w->applyParameterFrame(answer.frameText);
        }
        checkControls(w);
        bytes += piece;
        left -= piece;
    }
    return 0;
}
