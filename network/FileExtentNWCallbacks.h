#pragma once

#include "platform/KtLib/ktsDatabuf.h"
#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

#include <functional>

// The host's two ways to reach the remote collector. Each returns non-zero when the message
// was handed over and 0 when it was not.
typedef std::function<int(unsigned long, ktsDatabuf*)> FN_SendXDRMsgToFIR;
typedef std::function<int(CNMessageBase&)> FN_SendXMLMsgToFIR;
