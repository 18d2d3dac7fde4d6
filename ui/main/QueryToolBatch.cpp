// The search page's batch configuration: the dialog on the window's engine.
#include "net/NxNetControl.h"
#include "ui/batch/BatchConfigDialog.h"
#include "ui/main/QueryTool.h"

void QueryTool::open_batch_config()
{
    if (engine == nullptr)
        return;
    // The dialog's own searches find terminals before and after their
    // change; kept out of the table, they would show as conflicts there.
    const NxNetControl::ReplyCallback callback = engine->replyCallback.exchange(nullptr);
    BatchConfigDialog dialog(engine, this);
    dialog.exec();
    engine->replyCallback = callback;
    if (dialog.applied())
        query_terminal();
}
