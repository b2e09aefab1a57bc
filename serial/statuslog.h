#ifndef NIMBAL_STATUSLOG_H
#define NIMBAL_STATUSLOG_H

#include <QString>

class QDateTime;

// Texts of the status log. Every message is bilingual: the Chinese half,
// two blanks, the English half.
namespace StatusLog {

inline constexpr int kMaximumLines = 4;
inline constexpr int kClockIntervalMs = 1000;

inline const char kReadingSuccessful[] = "参数读取成功  Reading successful";
inline const char kWriteSuccessful[] = "参数写入成功  Write successfully";
inline const char kLoadingSuccessful[] = "参数载入成功  Loading successful";
inline const char kSavedSuccessfully[] = "参数已成功保存  Saved successfully";
inline const char kSaveFailed[] = "参数保存失败  Failed to save";

// The stamp of the log's clock: "yyyy-MM-dd HH:mm:ss", local time.
QString clockStamp(const QDateTime &time);

// "[stamp] message"; the stamp may be empty before the clock's first tick.
QString line(const QString &stamp, const QString &message);

QString portOpened(const QString &portName);
QString portFailedToOpen(const QString &portName);
QString portDisconnected(const QString &portName);

} // namespace StatusLog

#endif
