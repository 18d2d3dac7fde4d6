// querytool-cli: the tool's search, commissioning and reboot without a
// window, for scripts. Same protocol core, engine and DBP_* variables as the
// window; results on standard output, errors on standard error.
#include "cli/CliCommands.h"
#include "core/commission/CommissionSheet.h"
#include "core/endpoint/EndpointOverrides.h"
#include "net/QueryThread.h"
#include "platform/SocketLayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTranslator>

#include <cstdio>

namespace {

// The window's language when its config.ini is in the working folder; the
// file is only read, never made.
void installTranslation()
{
    if (!QFileInfo::exists("./config.ini"))
        return;
    const QString language = QSettings("./config.ini", QSettings::IniFormat).value("language").toString();
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!language.isEmpty() && translator->load(QString("./translate/%1.qm").arg(language)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

struct Command {
    QString name;
    QStringList operands;
    ScanFormat format = ScanFormat::Table;
    bool conflicts = false;
    bool dryRun = false;
    QString resultFile;
};

// False, with a message, for arguments that make no command.
bool parse(const QStringList& arguments, Command* command, QString* error)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (a == "--format" && hasValue) {
            const QString format = arguments[++i];
            if (format == "table")
                command->format = ScanFormat::Table;
            else if (format == "csv")
                command->format = ScanFormat::Csv;
            else if (format == "json")
                command->format = ScanFormat::Json;
            else
                return *error = CliCommands::tr("未知的格式：%1").arg(format), false;
        } else if (a == "--conflicts") {
            command->conflicts = true;
        } else if (a == "--dry-run") {
            command->dryRun = true;
        } else if (a == "--result" && hasValue) {
            command->resultFile = arguments[++i];
        } else if (a.startsWith("--")) {
            return *error = CliCommands::tr("未知的选项：%1").arg(a), false;
        } else if (command->name.isEmpty()) {
            command->name = a;
        } else {
            command->operands << a;
        }
    }
    const bool scan
        = command->name == "scan" && command->operands.isEmpty() && !command->dryRun && command->resultFile.isEmpty();
    const bool apply = command->name == "apply" && command->operands.size() == 1 && !command->conflicts;
    const bool reboot = command->name == "reboot" && command->operands.size() == 1 && !command->conflicts
        && !command->dryRun && command->resultFile.isEmpty()
        && canonicalAddress(command->operands[0].toStdString()).has_value();
    if (!scan && !apply && !reboot)
        return *error = CliCommands::tr("参数不正确"), false;
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    installTranslation();
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.contains("--help") || arguments.contains("-h")) {
        printOut(CliCommands::help());
        return kExitOk;
    }
    Command command;
    QString error;
    if (!parse(arguments, &command, &error)) {
        printError(error + '\n' + CliCommands::help());
        return kExitUsage;
    }
    if (!SocketLayerStartup()) {
        printError(CliCommands::tr("网络无法使用"));
        return kExitNetwork;
    }
    int result = kExitNetwork;
    {
        QueryThread thread(endpointSettingsFromEnvironment("querytool-cli"));
        if (!thread.engine()->IsOpen()) {
            printError(CliCommands::tr("无法打开UDP端口%1").arg(thread.engine()->Settings().localPort));
        } else {
            thread.start();
            if (command.name == "scan")
                result = CliCommands::scan(thread.engine(), command.format, command.conflicts);
            else if (command.name == "apply")
                result = CliCommands::apply(thread.engine(), command.operands[0], command.dryRun, command.resultFile);
            else
                result = CliCommands::reboot(thread.engine(), command.operands[0]);
        }
    }
    SocketLayerShutdown();
    return result;
}
