// What is told of how a download ended, the same in the window and zqcli.
#include "link/instrument.h"

bool DownloadResult::partial() const
{
    return outcome == ReadComMachine::Cut || outcome == ReadComMachine::LineLost || outcome == ReadComMachine::TimedOut
        || outcome == ReadComMachine::Aborted || outcome == ReadComMachine::Paused;
}

namespace zq {
QString outcomeName(ReadComMachine::Outcome outcome)
{
    static const char *const names[] = {"no reply", "complete", "timed out", "cut", "line lost", "interrupted",
        "still sending", "not a record", "paused"};
    return QString::fromLatin1(names[qBound(0, int(outcome), 8)]);
}

QString endingText(ReadComMachine::Outcome outcome, const ReadComMachine &download)
{
    const Record record = download.record();
    switch (outcome) {
    case ReadComMachine::StillSending:
        return QStringLiteral("测温仪仍在发送上一次的数据，没有开始新的接收。\n"
                              "请等它发送完毕（最长约 85 秒），或将测温仪关机再开机，然后重新接收数据。");
    case ReadComMachine::NotARecord:
        return QStringLiteral("收到的数据不是测温仪的记录（%1），没有作为接收的数据显示。\n"
                              "可能是上一次传送的剩余数据，或串口设置不对。原始字节已保存，请重新接收数据。")
            .arg(download.judgement());
    case ReadComMachine::TimedOut:
    case ReadComMachine::Cut:
        break;
    default:
        return QString();
    }
    // The instrument always sends its full sequence memory, so a shorter
    // transfer means the line failed.
    if (record.isSequence() && record.count() < kSeqReadings)
        return QStringLiteral("数据传输未完成：只收到 %1 个读数（应为 %2 个）。\n已收到的读数已保留。")
            .arg(record.count())
            .arg(kSeqReadings);
    // Time-stamped data end by a silence; the time limit means the line never settled.
    if (record.isTimeStamped() && outcome == ReadComMachine::TimedOut)
        return QStringLiteral("数据传输未完成：85 秒内没有传完，只收到 %1 条记录。\n已收到的记录已保留。")
            .arg(record.count());
    return QString();
}
} // namespace zq
