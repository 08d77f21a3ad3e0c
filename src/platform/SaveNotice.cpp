#include "platform/SaveNotice.h"

SaveNotice& SaveNotice::instance()
{
    static SaveNotice notice;
    return notice;
}
