#include "cli/CliCommands.h"

#include "platform/ConsoleOutput.h"

QString CliCommands::help()
{
    return tr("用法：\n"
              "  querytool-cli scan [--format table|csv|json] [--sort ip|id|mac] [--conflicts] [--range 范围]...\n"
              "      搜索一次，列出每个终端的全部字段；--sort 按IP、ID或MAC排序；--conflicts 同时列出IP和MAC地址冲突\n"
              "  querytool-cli apply 表格.csv [--dry-run] [--partial] [--result 结果.csv] [--format table|json] [--range 范围]...\n"
              "      检查表格，设置并验证其中的终端；--dry-run 只显示计划，不发送设置（--result 写入计划）；\n"
              "      未应答的终端最多再搜索3次；--partial 只设置找到的终端，其余报告为未找到（退出码1）；\n"
              "      --format json 以JSON输出问题或结果\n"
              "  querytool-cli reboot IP\n"
              "      重启一个终端（不接受广播地址或网络地址），并显示重启的是哪个终端\n"
              "--range 另搜索一个地址范围（如 10.2.0.0/16 或 10.3.1.10-10.3.1.200，最多65536个地址，可重复），\n"
              "      用于路由器之后的终端；这些终端按其自身地址设置\n"
              "选项也可写作 --format=json。\n"
              "环境变量 DBP_BROADCAST_ADDR、DBP_TERMINAL_PORT、DBP_LOCAL_PORT、DBP_SEARCH_SENDS、DBP_SWEEP_RATE 与窗口相同；\n"
              "值无效时不发送任何请求，退出码2。\n"
              "退出码：\n"
              "  0  全部成功\n"
              "  1  已完成，但有终端未成功（或 --conflicts 发现冲突）\n"
              "  2  参数不正确\n"
              "  3  表格未通过检查，没有发送任何设置\n"
              "  4  文件无法读取或写入\n"
              "  5  端口无法打开或请求无法发送\n");
}

// Written by length, so that a zero character cannot cut the text short.
void printError(const QString& text)
{
    const QByteArray bytes = (text + '\n').toUtf8();
    ConsoleWrite(ConsoleStream::Error, bytes.constData(), static_cast<size_t>(bytes.size()));
}

void printOut(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    ConsoleWrite(ConsoleStream::Output, bytes.constData(), static_cast<size_t>(bytes.size()));
}
