#include "stationwindow.h"

#include "files/auditlog.h"
#include "files/parameterfile.h"
#include "lanetile.h"
#include "port/portlist.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>

namespace {

constexpr int kTilesPerRow = 4;

QSettings settings()
{
    return QSettings(QStringLiteral("Nimbal"), QStringLiteral("Nimbal Station"));
}

QString defaultLogPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
           QStringLiteral("/nimbal-station-log.csv");
}

// What is wrong with a parameter file, in the station's words.
QString problemText(const ParameterFile::LineProblem &problem)
{
    using Kind = ParameterFile::LineProblem::Kind;
    if (problem.kind == Kind::Empty)
        return StationWindow::tr("The file is empty.");
    if (problem.kind == Kind::FieldCount)
        return StationWindow::tr("It has %n field(s), not %1.", nullptr, problem.fieldCount)
            .arg(kParameterCount);
    const ParameterInfo &param = kParameters[std::size_t(problem.position - 1)];
    constexpr int kShown = 24; // of a long value, enough to know it again
    const QString value = problem.value.size() > kShown
                              ? problem.value.left(kShown) + QStringLiteral("…")
                              : problem.value;
    if (problem.kind == Kind::NotDecimal)
        return StationWindow::tr("Field %1 (%2) is \"%3\", not a whole number.")
            .arg(problem.position)
            .arg(QLatin1String(param.caption), value);
    return StationWindow::tr("Field %1 (%2) is %3, outside %4 to %5.")
        .arg(problem.position)
        .arg(QLatin1String(param.caption), value)
        .arg(param.minimum)
        .arg(param.maximum);
}

QString valueText(Parameter id, int value)
{
    if (isSwitch(id))
        return value != 0 ? StationWindow::tr("on") : StationWindow::tr("off");
    return QString::number(value);
}

QString findingText(const LineFinding &finding)
{
    switch (finding.kind) {
    case LineFinding::Kind::Nothing:
        return StationWindow::tr("nothing came back: no power, not plugged in, or TX and RX not "
                                 "crossed");
    case LineFinding::Kind::EchoOnly:
        return StationWindow::tr("only the request's echo came back: no servo answered");
    case LineFinding::Kind::NoFrame:
        return StationWindow::tr("bytes came back, but never a frame: the wrong speed, or noise");
    case LineFinding::Kind::BadChecksum:
        return StationWindow::tr("frames came back that failed their checksum: a noisy line");
    case LineFinding::Kind::OtherKind:
        return StationWindow::tr("only a frame of another kind came back");
    case LineFinding::Kind::Late:
    case LineFinding::Kind::Answered:
        break;
    }
    return QString();
}

// PASS: one beep; FAIL: three, so the two are told apart without looking.
void sound(bool passed)
{
    QApplication::beep();
    for (int i = 1; !passed && i < 3; ++i)
        QTimer::singleShot(200 * i, qApp, &QApplication::beep);
}

} // namespace

StationWindow::StationWindow(QWidget *parent)
    : QWidget(parent), m_fileName(new QLabel(this)), m_fileStatus(new QLabel(this)),
      m_chooseFile(new QPushButton(tr("&Choose file…"), this)), m_tileGrid(new QGridLayout),
      m_portChoice(new QComboBox(this)), m_addLane(new QPushButton(tr("&Add lane"), this)),
      m_askForLabels(new QCheckBox(tr("Ask for each servo's &label"), this)),
      m_logName(new QLabel(this)), m_chooseLog(new QPushButton(tr("Choose l&og…"), this)),
      m_start(new QPushButton(tr("&Start"), this)), m_stop(new QPushButton(tr("S&top"), this)),
      m_totals(new QLabel(this)), m_message(new QLabel(this))
{
    setWindowTitle(tr("Nimbal Station"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildFileArea());
    layout->addLayout(m_tileGrid, 1);
    layout->addWidget(buildLaneControls());
    layout->addWidget(buildFooter());
    restoreSettings();
    updateControls();
}

StationWindow::~StationWindow() = default;

bool StationWindow::installTranslation(const QLocale &locale)
{
    Q_INIT_RESOURCE(stationtranslations);
    static QTranslator station;
    static QTranslator qt;
    if (!station.load(locale, QStringLiteral("nimbal-station"), QStringLiteral("_"),
                      QStringLiteral(":/i18n")))
        return false;
    QApplication::installTranslator(&station);
    // Qt's own words, in its dialogs, where the system has them.
    if (qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt);
    return true;
}

QWidget *StationWindow::buildFileArea()
{
    auto *box = new QGroupBox(tr("Parameter file"), this);
    auto *layout = new QGridLayout(box);
    m_chooseFile->setAccessibleName(tr("Choose the parameter file"));
    connect(m_chooseFile, &QPushButton::clicked, this, &StationWindow::chooseFile);
    m_fileName->setAccessibleName(tr("Parameter file"));
    m_fileStatus->setAccessibleName(tr("Parameter file check"));
    m_fileStatus->setWordWrap(true);
    layout->addWidget(m_fileName, 0, 0, 1, 3);
    layout->addWidget(m_chooseFile, 0, 3);
    layout->addWidget(m_fileStatus, 1, 0, 1, 4);
    for (const ParameterInfo &param : kParameters) {
        auto *value = new QLabel(this);
        value->setAccessibleName(QLatin1String(param.caption));
        const int i = int(indexOf(param.id));
        layout->addWidget(value, 2 + i / kTilesPerRow, i % kTilesPerRow);
        m_values.append(value);
    }
    return box;
}

QWidget *StationWindow::buildLaneControls()
{
    auto *area = new QWidget(this);
    auto *layout = new QHBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *caption = new QLabel(tr("&Port of a new lane:"), area);
    caption->setBuddy(m_portChoice);
    m_portChoice->setEditable(true);
    m_portChoice->setAccessibleName(tr("Port of a new lane"));
    m_portChoice->setMinimumContentsLength(36);
    m_portChoice->installEventFilter(this);
    m_addLane->setAccessibleName(tr("Add a lane on this port"));
    connect(m_addLane, &QPushButton::clicked, this, &StationWindow::addChosenPort);
    layout->addWidget(caption);
    layout->addWidget(m_portChoice, 1);
    layout->addWidget(m_addLane);
    refreshPortChoices();
    return area;
}

QWidget *StationWindow::buildFooter()
{
    auto *area = new QWidget(this);
    auto *layout = new QGridLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    m_askForLabels->setAccessibleName(tr("Ask for each servo's label"));
    connect(m_askForLabels, &QCheckBox::toggled, this, [this] { saveSettings(); });
    m_logName->setAccessibleName(tr("Audit log"));
    m_chooseLog->setAccessibleName(tr("Choose the audit log"));
    connect(m_chooseLog, &QPushButton::clicked, this, &StationWindow::chooseLog);
    m_start->setAccessibleName(tr("Start every lane"));
    m_stop->setAccessibleName(tr("Stop every lane"));
    connect(m_start, &QPushButton::clicked, this, &StationWindow::start);
    connect(m_stop, &QPushButton::clicked, this, &StationWindow::stop);
    QFont big = m_totals->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    m_totals->setFont(big);
    m_totals->setAccessibleName(tr("Totals"));
    m_message->setAccessibleName(tr("Message"));
    m_message->setWordWrap(true);
    layout->addWidget(m_askForLabels, 0, 0, 1, 2);
    layout->addWidget(new QLabel(tr("Audit log:"), area), 1, 0);
    layout->addWidget(m_logName, 1, 1);
    layout->addWidget(m_chooseLog, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addStretch(1);
    buttons->addWidget(m_totals);
    layout->addLayout(buttons, 2, 0, 1, 3);
    layout->addWidget(m_message, 3, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    m_totals->setText(tr("%1 servos: %2 passed, %3 failed").arg(0).arg(0).arg(0));
    return area;
}

bool StationWindow::setParameterFile(const QString &path)
{
    if (isRunning())
        return false;
    m_file = path;
    m_wanted.reset();
    m_fileName->setText(path.isEmpty() ? tr("No file chosen") : QDir::toNativeSeparators(path));
    QString reason;
    const std::optional<QString> line =
        path.isEmpty() ? std::nullopt : ParameterFile::readFirstLine(path, &reason);
    ParameterFile::LineProblem problem;
    if (path.isEmpty())
        m_fileStatus->setText(tr("Choose the file servos are set up from."));
    else if (!line)
        m_fileStatus->setText(tr("Refused: it cannot be read: %1").arg(reason));
    else if (!(m_wanted = ParameterFile::parseLineStrict(*line, &problem)))
        m_fileStatus->setText(tr("Refused: %1").arg(problemText(problem)));
    else
        m_fileStatus->setText(tr("Fourteen parameters, each within its range."));
    for (const ParameterInfo &param : kParameters)
        m_values[int(indexOf(param.id))]->setText(
            m_wanted ? QStringLiteral("%1: %2").arg(QLatin1String(param.caption),
                                                    valueText(param.id, m_wanted->value(param.id)))
                     : QString());
    updateControls();
    return m_wanted.has_value();
}

void StationWindow::setPorts(const QStringList &ports)
{
    if (isRunning())
        return;
    while (!m_tiles.isEmpty())
        removeLane(m_tiles.constLast());
    for (const QString &port : ports)
        addLane(port);
}

QStringList StationWindow::ports() const
{
    QStringList ports;
    for (const LaneTile *tile : m_tiles)
        ports.append(tile->port());
    return ports;
}

void StationWindow::setLogPath(const QString &path)
{
    if (isRunning())
        return;
    m_logPath = path.isEmpty() ? defaultLogPath() : path;
    m_logName->setText(QDir::toNativeSeparators(m_logPath));
}

void StationWindow::setAskForLabels(bool ask)
{
    m_askForLabels->setChecked(ask);
}

void StationWindow::chooseFile()
{
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Parameter file"), QFileInfo(m_file).absolutePath(),
                                     tr("Parameter files (*.txt)"));
    if (!path.isEmpty() && setParameterFile(path))
        saveSettings();
}

void StationWindow::chooseLog()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Audit log"), m_logPath, tr("CSV files (*.csv)"), nullptr,
        QFileDialog::DontConfirmOverwrite); // rows are appended, nothing is overwritten
    if (!path.isEmpty()) {
        setLogPath(path);
        saveSettings();
    }
}

void StationWindow::refreshPortChoices()
{
    const QString typed = m_portChoice->currentText();
    m_portChoice->clear();
    for (const PortList::Entry &entry : PortList::available()) {
        QString text = entry.name;
        if (!entry.description.isEmpty())
            text += QStringLiteral(" — ") + entry.description;
        if (entry.hasUsbIds)
            text += QStringLiteral(" (%1:%2)")
                        .arg(entry.vendorId, 4, 16, QLatin1Char('0'))
                        .arg(entry.productId, 4, 16, QLatin1Char('0'));
        // A by-id link names the same adapter after it is plugged in
        // again, where a tty's number may change.
        m_portChoice->addItem(text, entry.byIdPath.isEmpty() ? entry.name : entry.byIdPath);
    }
    m_portChoice->setEditText(typed);
}

void StationWindow::addChosenPort()
{
    const int index = m_portChoice->findText(m_portChoice->currentText());
    const QString port = index >= 0 ? m_portChoice->itemData(index).toString()
                                    : m_portChoice->currentText().trimmed();
    if (port.isEmpty())
        return say(tr("Choose or type a port first."));
    if (addLane(port))
        saveSettings();
}

bool StationWindow::addLane(const QString &port)
{
    if (m_tiles.size() >= LaneGroup::kMostLanes) {
        say(tr("A station has %1 lanes at most.").arg(LaneGroup::kMostLanes));
        return false;
    }
    if (LaneGroup::firstRepeatedPort(ports() << port) >= 0) {
        say(tr("%1 has a lane already.").arg(port));
        return false;
    }
    auto *tile = new LaneTile(port, this);
    connect(tile, &LaneTile::removeClicked, this, [this, tile] {
        removeLane(tile);
        saveSettings();
    });
    const int i = int(m_tiles.size());
    m_tileGrid->addWidget(tile, i / kTilesPerRow, i % kTilesPerRow);
    m_tiles.append(tile);
    updateControls();
    return true;
}

void StationWindow::removeLane(LaneTile *tile)
{
    if (isRunning())
        return;
    m_tiles.removeOne(tile);
    delete tile;
    // The tiles move up to fill the place.
    for (int i = 0; i < m_tiles.size(); ++i)
        m_tileGrid->addWidget(m_tiles.at(i), i / kTilesPerRow, i % kTilesPerRow);
    updateControls();
}

bool StationWindow::start()
{
    if (isRunning())
        return false;
    if (!m_wanted) {
        say(tr("Choose a valid parameter file first."));
        return false;
    }
    if (m_tiles.isEmpty()) {
        say(tr("Add a lane first."));
        return false;
    }
    if (AuditLog::sameFile(m_logPath, m_file)) {
        say(tr("The audit log is the parameter file itself: choose another log."));
        return false;
    }
    LaneGroup::Settings settings;
    settings.ports = ports();
    settings.wanted = *m_wanted;
    settings.labels = m_askForLabels->isChecked();
    auto group = std::make_unique<LaneGroup>(settings);
    QString reason;
    if (!group->openLog(m_logPath, &reason)) {
        say(tr("The audit log %1 cannot be written: %2").arg(m_logPath, reason));
        return false;
    }
    m_group = std::move(group);
    m_passedLabels = AuditLog::passedLabels(m_logPath);
    for (int i = 0; i < m_tiles.size(); ++i)
        watch(m_group->lanes().at(i), m_tiles.at(i));
    connect(m_group.get(), &LaneGroup::servoDone, this,
            [this](Lane *lane, int, const ServoSetUp::Result &result) { servoDone(lane, result); });
    connect(m_group.get(), &LaneGroup::logFailed, this, [this](const QString &why) {
        say(tr("The audit log %1 cannot be written: %2; every lane stops.").arg(m_logPath, why));
    });
    connect(m_group.get(), &LaneGroup::finished, this, &StationWindow::finished);
    say(QString());
    m_group->start();
    updateControls();
    saveSettings();
    return true;
}

void StationWindow::stop()
{
    if (m_group)
        m_group->stop();
}

void StationWindow::watch(Lane *lane, LaneTile *tile)
{
    tile->showCounts(0, 0);
    connect(lane, &Lane::stateChanged, tile, [lane, tile](Lane::State state) {
        tile->showState(state, state == Lane::State::AdapterGone ? lane->openProblem().systemReason
                                                                 : QString());
        if (state == Lane::State::WaitingForLabel)
            tile->askForLabel();
    });
    connect(tile, &LaneTile::labelEntered, lane,
            [this, lane, tile](const QString &label) { labelEntered(lane, tile, label); });
}

void StationWindow::labelEntered(Lane *lane, LaneTile *tile, const QString &label)
{
    if (label.isEmpty())
        return tile->refuseLabel(tr("The label is empty: scan the servo's label."));
    if (m_passedLabels.contains(label))
        return tile->refuseLabel(tr("Label %1 has passed already in this log.").arg(label));
    lane->setLabel(label);
}

void StationWindow::servoDone(Lane *lane, const ServoSetUp::Result &result)
{
    const int i = int(m_group->lanes().indexOf(lane));
    LaneTile *tile = m_tiles.value(i);
    if (tile) {
        tile->showResult(result.passed(), result.label, reasonsOf(result));
        tile->showCounts(lane->passed(), lane->failed());
    }
    if (result.passed() && !result.label.isEmpty())
        m_passedLabels.insert(result.label);
    m_totals->setText(tr("%1 servos: %2 passed, %3 failed")
                          .arg(m_group->done())
                          .arg(m_group->passed())
                          .arg(m_group->failed()));
    sound(result.passed());
}

QString StationWindow::reasonsOf(const ServoSetUp::Result &result) const
{
    using Outcome = ServoSetUp::Result::Outcome;
    const bool write = result.step == ServoSetUp::Result::Step::Write;
    QStringList reasons;
    switch (result.outcome) {
    case Outcome::Passed:
        break;
    case Outcome::Mismatch:
        for (const Parameter id : result.differing)
            reasons.append(tr("%1: wanted %2, found %3")
                               .arg(QLatin1String(infoOf(id).caption),
                                    valueText(id, result.wanted.value(id)),
                                    valueText(id, result.after->value(id))));
        break;
    case Outcome::NoAnswer:
        reasons.append((write ? tr("No answer to the write request: %1")
                              : tr("No answer to the read-back request: %1"))
                           .arg(findingText(result.reply.finding)));
        break;
    case Outcome::PortLost:
        reasons.append(write ? tr("The adapter went away during the write.")
                             : tr("The adapter went away during the read-back."));
        break;
    }
    return reasons.join(QLatin1Char('\n'));
}

void StationWindow::finished()
{
    // The group is the sender: it goes once its signal is done.
    m_group.release()->deleteLater();
    updateControls();
    // Queued: the lanes may have stopped within the close that asked them to.
    if (m_closeWhenStopped)
        QTimer::singleShot(0, this, &QWidget::close);
}

void StationWindow::updateControls()
{
    const bool running = isRunning();
    for (QWidget *control :
         {static_cast<QWidget *>(m_chooseFile), static_cast<QWidget *>(m_addLane),
          static_cast<QWidget *>(m_portChoice), static_cast<QWidget *>(m_chooseLog),
          static_cast<QWidget *>(m_askForLabels)})
        control->setEnabled(!running);
    for (LaneTile *tile : std::as_const(m_tiles))
        tile->setRemovable(!running);
    m_start->setEnabled(!running && m_wanted && !m_tiles.isEmpty());
    m_stop->setEnabled(running);
}

void StationWindow::say(const QString &message)
{
    m_message->setText(message);
}

bool StationWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_portChoice &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress))
        refreshPortChoices();
    return QWidget::eventFilter(watched, event);
}

void StationWindow::closeEvent(QCloseEvent *event)
{
    if (isRunning()) {
        // A servo being set up is finished, and logged, before the window goes.
        event->ignore();
        m_closeWhenStopped = true;
        say(tr("Finishing the servos being set up…"));
        stop();
        return;
    }
    saveSettings();
    event->accept();
}

void StationWindow::restoreSettings()
{
    QSettings stored = settings();
    if (!restoreGeometry(stored.value(QStringLiteral("geometry")).toByteArray()))
        resize(1100, 720); // room for two rows of four tiles
    setParameterFile(stored.value(QStringLiteral("file")).toString());
    setPorts(stored.value(QStringLiteral("ports")).toStringList());
    setLogPath(stored.value(QStringLiteral("log")).toString());
    // Ticking the box saves the settings, which must not be saved half
    // restored.
    const QSignalBlocker quiet(m_askForLabels);
    m_askForLabels->setChecked(stored.value(QStringLiteral("labels"), false).toBool());
}

void StationWindow::saveSettings() const
{
    QSettings stored = settings();
    stored.setValue(QStringLiteral("file"), m_file);
    stored.setValue(QStringLiteral("ports"), ports());
    stored.setValue(QStringLiteral("log"), m_logPath);
    stored.setValue(QStringLiteral("labels"), m_askForLabels->isChecked());
    stored.setValue(QStringLiteral("geometry"), saveGeometry());
}
