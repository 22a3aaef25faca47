#include "StatusTexts.h"

std::string StatusPaneText(int showOutputWindowSetting, const std::string& outputText) {
    if (showOutputWindowSetting == 0)
        return outputText;
    return outputText.find("Executing") != std::string::npos ? kStatusExecuting : kStatusReady;
}

std::string ServerOutputPaneText(int serverOutputFlag) {
    return serverOutputFlag == 1 ? kServerOutputOn : kServerOutputOff;
}
