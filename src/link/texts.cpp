// What the instrument's layer tells a person, in one place: the port's
// failures, how a download ended, the live reading's state.
#include "link/texts.h"

#include "link/download.h"
#include "link/porterrors.h"

namespace zq {
QString portErrorText(int commPort, const QString &device, QSerialPort::SerialPortError error,
    const QString &systemReason, const PortFacts &facts)
{
    const QString port = QStringLiteral("串口 COM %1（%2）").arg(commPort).arg(device);
    if (error == QSerialPort::ResourceError)
        return QStringLiteral("%1已断开：适配器被拔出或连接中断。已收到的读数已保留。").arg(port);
    if (!facts.exists || error == QSerialPort::DeviceNotFoundError) {
        QString text = QStringLiteral("找不到%1。请检查连接线和 USB 转串口适配器是否插好。").arg(port);
        text += facts.present.isEmpty()
            ? QStringLiteral("\n这台电脑上现在没有串口。")
            : QStringLiteral("\n现有的串口：%1").arg(facts.present.join(QStringLiteral("，")));
        if (facts.brltty && facts.adapterWithoutNode)
            text += QStringLiteral("\n已插入 USB 转串口适配器，但没有出现设备文件：盲文服务 brltty 常会占用这类适配器。"
                                   "可运行 sudo apt remove brltty 删除它，然后重新插上适配器。");
        return text;
    }
    if (!facts.accessible) {
        // Joining the group helps only where the group may read and write.
        if (facts.groupReadWrite && !facts.group.isEmpty() && facts.group != QLatin1String("root"))
            return QStringLiteral("没有权限打开%1：当前用户不在设备所属的 %2 组中。\n"
                                  "请运行 sudo usermod -aG %2 $USER，然后注销并重新登录。")
                .arg(port, facts.group);
        return QStringLiteral("没有权限打开%1：只有 %2（用户 %3、组 %4、权限 %5）可以打开它，加入某个组也无济于事。\n"
                              "请管理员用 udev 规则为这个设备授予读写权限（例如 MODE=\"0660\", GROUP=\"dialout\"），"
                              "或请管理员为您开放访问。")
            .arg(port, facts.groupReadWrite ? QStringLiteral("其所有者和组") : QStringLiteral("其所有者"), facts.owner,
                facts.group, QString::number(facts.mode, 8).rightJustified(4, QLatin1Char('0')));
    }
    if (error == QSerialPort::PermissionError || error == QSerialPort::OpenError) {
        // Nobody may be using the port at all: a program that ended without
        // closing it left its lock, which this user may not remove.
        if (!facts.lockFile.isEmpty() && facts.lockHolder.isEmpty() && facts.holders.isEmpty())
            return QStringLiteral("%1被锁文件 %2 挡住了：留下它的程序（进程 %3）已经结束，"
                                  "但这个文件属于用户 %4，当前用户无权删除它。\n请删除这个文件后再试：sudo rm %2")
                .arg(port, facts.lockFile, QString::number(facts.lockPid), facts.lockOwner);
        QStringList holders = facts.holders;
        if (!facts.lockHolder.isEmpty() && !holders.contains(facts.lockHolder))
            holders.append(facts.lockHolder);
        QString text = QStringLiteral("%1正被其他程序占用").arg(port);
        if (!holders.isEmpty())
            text += QStringLiteral("（进程 %1）").arg(holders.join(QStringLiteral("，")));
        return text + QStringLiteral("。请先关闭那个程序再试。");
    }
    return QStringLiteral("无法打开%1。系统的原因：%2").arg(port, systemReason);
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
        return QStringLiteral("数据传输未完成：%1 秒内没有传完，只收到 %2 条记录。\n已收到的记录已保留。")
            .arg(download.timeLimit)
            .arg(record.count());
    return QString();
}
QString otherReadersText(const QStringList &holders)
{
    return QStringLiteral("\n另一个程序（进程 %1）也打开了这个串口，它可能读走了数据。请先关闭那个程序。")
        .arg(holders.join(QStringLiteral("，")));
}

QString lateBytesText(int bytes)
{
    return QStringLiteral("接收结束后又收到了 %1 个字节：测温仪中途停顿过，这次接收的记录不完整。\n"
                          "已收到的读数已保留；请重新接收数据。")
        .arg(bytes);
}

QString liveOnText()
{
    return QStringLiteral("在线测温开启");
}
} // namespace zq
