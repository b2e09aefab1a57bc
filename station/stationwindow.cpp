#include "stationwindow.h"

#include "files/auditlog.h"
#include "files/parameterfile.h"
#include "labelentry.h"
#include "lanetile.h"
#include "linelabels.h"
#include "nimbalversion.h"
#include "portchooser.h"
#include "recorddatabase.h"
#include "recordsender.h"
#include "stationsettings.h"
#include "text/catalogue.h"
#include "text/linktext.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>
#include <QTranslator>
#include <QVBoxLayout>

namespace {

constexpr int kTilesPerRow = 4;

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

// The link's words begin a sentence on a tile.
QString sentence(const QString &text)
{
    return text.isEmpty() ? text : text.at(0).toUpper() + text.mid(1);
}

// Why a servo failed, a reason a line, with the usual cause of no answer.
QString reasonsOf(const ServoSetUp::Result &result, int timeoutMs)
{
    QStringList reasons;
    for (const QString &problem : LinkText::problems(result, timeoutMs))
        reasons.append(sentence(problem));
    if (result.outcome == ServoSetUp::Result::Outcome::NoAnswer)
        reasons.append(sentence(LinkText::cause(result.reply.finding.kind)));
    return reasons.join(QLatin1Char('\n'));
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
      m_chooseFile(new QPushButton(tr("&Choose file…"), this)), m_labelEntry(new LabelEntry(this)),
      m_tileGrid(new QGridLayout), m_portChooser(new PortChooser(this)),
      m_askForLabels(new QCheckBox(tr("Ask for each servo's &label"), this)),
      m_logName(new QLabel(this)), m_chooseLog(new QPushButton(tr("Choose l&og…"), this)),
      m_start(new QPushButton(tr("&Start"), this)), m_stop(new QPushButton(tr("S&top"), this)),
      m_totals(new QLabel(this)), m_station(new QLineEdit(this)), m_operator(new QLineEdit(this)),
      m_database(new QLineEdit(this)), m_databaseStatus(new QLabel(this)),
      m_message(new QLabel(this))
{
    setWindowTitle(tr("Nimbal Station"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildFileArea());
    layout->addWidget(m_labelEntry);
    layout->addLayout(m_tileGrid, 1);
    layout->addWidget(m_portChooser);
    layout->addWidget(buildFooter());
    connect(m_portChooser, &PortChooser::portChosen, this, [this](const QString &port) {
        if (addLane(port))
            saveSettings();
    });
    connect(m_portChooser, &PortChooser::nothingChosen, this,
            [this] { say(tr("Choose or type a port first.")); });
    connect(m_labelEntry, &LabelEntry::entered, this, [this](const QString &text) {
        if (m_group)
            m_group->offerLabel(text);
    });
    restoreSettings();
    updateControls();
}

StationWindow::~StationWindow() = default;

bool StationWindow::installTranslation(const QLocale &locale)
{
    Q_INIT_RESOURCE(stationtranslations);
    static QTranslator english;
    static QTranslator station;
    static QTranslator qt;
    const bool parts =
        LinkText::installTranslation(locale) && RecordDatabase::installTranslation(locale);
    if (!Catalogue::install(QStringLiteral("nimbal-station"), locale, &english, &station) || !parts)
        return false;
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return true;
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
    m_fileName->setTextFormat(Qt::PlainText);
    m_fileStatus->setAccessibleName(tr("Parameter file check"));
    m_fileStatus->setTextFormat(Qt::PlainText);
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

QWidget *StationWindow::buildFooter()
{
    auto *area = new QWidget(this);
    auto *layout = new QGridLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    m_askForLabels->setAccessibleName(tr("Ask for each servo's label"));
    connect(m_askForLabels, &QCheckBox::toggled, this, [this] {
        updateControls();
        saveSettings();
    });
    m_logName->setAccessibleName(tr("Audit log"));
    m_logName->setTextFormat(Qt::PlainText);
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
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    // The record: names and the database are typed or scanned, and bounded.
    const auto field = [this, area](QLineEdit *edit, const QString &caption, const QString &name,
                                    const QString &placeholder) {
        edit->setAccessibleName(name);
        edit->setPlaceholderText(placeholder);
        edit->setMaxLength(edit == m_database ? 1024 : 64);
        connect(edit, &QLineEdit::editingFinished, this, [this] { saveSettings(); });
        auto *label = new QLabel(caption, area);
        label->setBuddy(edit);
        return label;
    };
    auto *names = new QHBoxLayout;
    names->addWidget(
        field(m_station, tr("St&ation:"), tr("Station name"), QSysInfo::machineHostName()));
    names->addWidget(m_station, 1);
    names->addWidget(
        field(m_operator, tr("O&perator:"), tr("Operator"), tr("Typed or scanned at Start")));
    names->addWidget(m_operator, 1);
    m_databaseStatus->setAccessibleName(tr("Database status"));
    m_databaseStatus->setTextFormat(Qt::PlainText);
    m_databaseStatus->setWordWrap(true);
    layout->addWidget(m_askForLabels, 0, 0, 1, 2);
    layout->addWidget(new QLabel(tr("Audit log:"), area), 1, 0);
    layout->addWidget(m_logName, 1, 1);
    layout->addWidget(m_chooseLog, 1, 2);
    layout->addLayout(names, 2, 0, 1, 3);
    layout->addWidget(field(m_database, tr("&Database:"), tr("The line's database"),
                            tr("None: the audit log only (service=line1, host=... dbname=...)")),
                      3, 0);
    layout->addWidget(m_database, 3, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addStretch(1);
    buttons->addWidget(m_totals);
    layout->addLayout(buttons, 4, 0, 1, 3);
    layout->addWidget(m_databaseStatus, 5, 0, 1, 3);
    layout->addWidget(m_message, 6, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    m_totals->setText(LinkText::totals(0, 0, 0));
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
            m_wanted ? QStringLiteral("%1: %2").arg(
                           QLatin1String(param.caption),
                           LinkText::valueText(param.id, m_wanted->value(param.id)))
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
    m_logPath = path.isEmpty() ? StationSettings::defaultLogPath() : path;
    m_logName->setText(QDir::toNativeSeparators(m_logPath));
}

void StationWindow::setAskForLabels(bool ask)
{
    if (!isRunning())
        m_askForLabels->setChecked(ask);
}

void StationWindow::setDatabase(const QString &connection)
{
    if (!isRunning())
        m_database->setText(connection);
}

void StationWindow::setStationName(const QString &name)
{
    if (!isRunning())
        m_station->setText(name);
}

void StationWindow::setOperatorName(const QString &name)
{
    if (!isRunning())
        m_operator->setText(name);
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
    // A fresh account may have no documents folder yet.
    if (m_logPath == StationSettings::defaultLogPath())
        QDir().mkpath(QFileInfo(m_logPath).absolutePath());
    LaneGroup::Settings settings;
    settings.ports = ports();
    settings.wanted = *m_wanted;
    settings.labels = m_askForLabels->isChecked();
    const QString station = m_station->text().trimmed();
    settings.run = AuditLog::Run::begin(station.isEmpty() ? QSysInfo::machineHostName() : station,
                                        m_file, *m_wanted, m_operator->text().trimmed(),
                                        QStringLiteral("nimbal-station " NIMBAL_VERSION));
    auto group = std::make_unique<LaneGroup>(settings);
    QString reason;
    if (!group->openLog(m_logPath, &reason)) {
        say(tr("The audit log %1 cannot be written: %2").arg(m_logPath, reason));
        return false;
    }
    m_group = std::move(group);
    for (int i = 0; i < m_tiles.size(); ++i)
        watch(m_group->lanes().at(i), m_tiles.at(i));
    connect(m_group.get(), &LaneGroup::servoDone, this,
            [this](Lane *lane, int, const ServoSetUp::Result &result) { servoDone(lane, result); });
    connect(m_group.get(), &LaneGroup::logFailed, this, [this](const QString &why) {
        say(tr("The audit log %1 cannot be written: %2; every lane stops.").arg(m_logPath, why));
    });
    connect(m_group.get(), &LaneGroup::labelsChanged, this, &StationWindow::showLabelTarget);
    connect(m_group.get(), &LaneGroup::labelRefused, m_labelEntry,
            [this](const QString &label, const QString &reason) {
                m_labelEntry->showRefusal(LabelRegister::shown(label), sentence(reason));
            });
    connect(m_group.get(), &LaneGroup::finished, this, &StationWindow::finished);
    say(QString());
    record(*m_group);
    showTotals();
    m_group->start();
    updateControls();
    showLabelTarget();
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
    tile->markForLabel(false);
    const auto adapterText = [lane] {
        return LinkText::openProblem(lane->adapterProblem());
    };
    connect(lane, &Lane::stateChanged, tile, [lane, tile, adapterText](Lane::State state) {
        tile->showState(state, state == Lane::State::AdapterGone ? adapterText()
                               : state == Lane::State::SettingUp ? lane->label()
                                                                 : QString());
    });
    // A reopen that fails for another reason says the new one.
    connect(lane, &Lane::adapterProblemChanged, tile, [lane, tile, adapterText] {
        if (lane->state() == Lane::State::AdapterGone)
            tile->showState(Lane::State::AdapterGone, adapterText());
    });
}

void StationWindow::servoDone(Lane *lane, const ServoSetUp::Result &result)
{
    const int i = int(m_group->lanes().indexOf(lane));
    if (LaneTile *tile = m_tiles.value(i)) {
        tile->showResult(result.passed(), result.label,
                         reasonsOf(result, ServoClient::kDefaultTimeoutMs));
        tile->showCounts(lane->passed(), lane->failed());
    }
    showTotals();
    sound(result.passed());
}

void StationWindow::showLabelTarget()
{
    if (!m_group)
        return;
    const Lane *next = m_group->laneForNextLabel();
    m_labelEntry->showTarget(next ? next->port() : QString(), m_group->keptLabel());
    for (int i = 0; i < m_tiles.size(); ++i)
        m_tiles.at(i)->markForLabel(m_group->lanes().at(i) == next);
}

void StationWindow::record(LaneGroup &group)
{
    const QString database = m_database->text().trimmed();
    m_lineLabels.reset();
    if (database.isEmpty()) {
        m_sender.reset();
        m_databaseStatus->clear();
        return;
    }
    // Rows an earlier run left unsent go first.
    m_sender = std::make_unique<RecordSender>(database, m_logPath);
    connect(m_sender.get(), &RecordSender::statusChanged, this, &StationWindow::showDatabase);
    connect(&group, &LaneGroup::servoDone, m_sender.get(), &RecordSender::rowsAdded);
    m_sender->start();
    if (m_askForLabels->isChecked()) {
        m_lineLabels = std::make_unique<LineLabels>(database, ServoClient::kDefaultTimeoutMs);
        group.setLineCheck(m_lineLabels->ask());
        connect(&group, &LaneGroup::lineUnchecked, this, [this](const QString &why) {
            say(tr("The label was checked against this log only: %1").arg(why));
        });
    }
}

void StationWindow::showDatabase(int waiting, const QString &problem)
{
    if (!problem.isEmpty())
        m_databaseStatus->setText(
            tr("database: %n row(s) waiting: %1", nullptr, waiting).arg(problem));
    else if (waiting > 0)
        m_databaseStatus->setText(tr("database: %n row(s) waiting", nullptr, waiting));
    else
        m_databaseStatus->setText(tr("database: every row sent"));
}

void StationWindow::showTotals()
{
    m_totals->setText(LinkText::totals(m_group ? m_group->done() : 0,
                                       m_group ? m_group->passed() : 0,
                                       m_group ? m_group->failed() : 0));
}

void StationWindow::finished()
{
    for (LaneTile *tile : std::as_const(m_tiles))
        tile->markForLabel(false);
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
         {static_cast<QWidget *>(m_chooseFile), static_cast<QWidget *>(m_portChooser),
          static_cast<QWidget *>(m_chooseLog), static_cast<QWidget *>(m_askForLabels),
          static_cast<QWidget *>(m_station), static_cast<QWidget *>(m_operator),
          static_cast<QWidget *>(m_database)})
        control->setEnabled(!running);
    for (LaneTile *tile : std::as_const(m_tiles))
        tile->setRemovable(!running);
    m_start->setEnabled(!running && m_wanted && !m_tiles.isEmpty());
    m_stop->setEnabled(running);
    // While labels are scanned, the label field keeps the keyboard focus: a
    // click on Stop does not take it (Alt+T still stops).
    const bool scanning = running && m_askForLabels->isChecked();
    m_labelEntry->setVisible(m_askForLabels->isChecked());
    m_labelEntry->setEnabled(scanning);
    m_stop->setFocusPolicy(scanning ? Qt::NoFocus : Qt::StrongFocus);
    if (scanning)
        m_labelEntry->takeFocus();
}

void StationWindow::say(const QString &message)
{
    m_message->setText(message);
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
    const StationSettings kept = StationSettings::load();
    if (!restoreGeometry(kept.geometry))
        resize(1100, 720); // room for two rows of four tiles
    setParameterFile(kept.file);
    setPorts(kept.ports);
    setLogPath(kept.log);
    // Ticking the box saves the settings, which must not be saved half
    // restored.
    m_station->setText(kept.station);
    m_database->setText(kept.database);
    const QSignalBlocker quiet(m_askForLabels);
    m_askForLabels->setChecked(kept.labels);
}

void StationWindow::saveSettings() const
{
    StationSettings{m_file,
                    ports(),
                    m_logPath,
                    m_askForLabels->isChecked(),
                    m_station->text().trimmed(),
                    m_database->text().trimmed(),
                    saveGeometry()}
        .save();
}
