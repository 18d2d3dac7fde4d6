// two-link-run PER_LINK PROGRAM ARGS...: runs PROGRAM in the tool's side of
// the two-link network of PrivateNetwork.h (PER_LINK terminals on each link)
// and returns its exit code. It lets the Windows build's tests, which run
// under Wine and cannot make namespaces, search through two adapters.
// QUERYTOOL_TWO_LINKS tells the program the network is there.
#include "PrivateNetwork.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        std::fputs("usage: two-link-run PER_LINK PROGRAM ARGS...\n", stderr);
        return 2;
    }
    TwoLinkNetwork network(QByteArray(argv[1]).toInt());
    if (!network.started())
        return 2;
    InNamespace toolSide(network.toolSide);
    if (!toolSide.entered)
        return 2;
    qputenv("QUERYTOOL_TWO_LINKS", argv[1]);
    char space[64] = {};
    if (readlink("/proc/thread-self/ns/net", space, sizeof space - 1) > 0)
        qputenv("QUERYTOOL_NETNS", space);
    QStringList arguments;
    for (int i = 3; i < argc; ++i)
        arguments << argv[i];
    return QProcess::execute(argv[2], arguments);
}
