// The search page's batch configuration: the dialog on the window's engine,
// searching the window's ranges.
#include "net/NxNetControl.h"
#include "ui/batch/BatchConfigDialog.h"
#include "ui/main/QueryTool.h"

void QueryTool::open_batch_config()
{
    if (engine == nullptr)
        return;
    // The dialog's searches and SETs keep their replies to themselves: in
    // the table, a terminal before and after its change would show as a
    // conflict. Every other reply still reaches the table meanwhile.
    BatchConfigDialog dialog(engine, rangesToSearch(), this);
    dialog.exec();
    if (dialog.applied())
        query_terminal();
}
