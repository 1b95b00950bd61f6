// Opening the campaign's page in the browser, and the mail that tells a friend about it.
#include "app.h"

#include "../resources/campaign.h"

#include <shellapi.h>

#include <fstream>

const char campaignUrl[] = CAMPAIGN_URL;

namespace {

// Written only to ask the shell which program opens HTML files; deleted at once.
constexpr const char *kProbeFile = "C:/QXtemp1.html";

} // namespace

void openCampaignUrl(const char *parameters)
{
    std::ofstream probe(kProbeFile);
    probe << "<html></html>";
    probe.close();
    char program[MAX_PATH] = "";
    // Without a program (the probe could not be written, or nothing opens HTML files) the
    // page is opened by whatever the system opens web addresses with.
    if (reinterpret_cast<INT_PTR>(FindExecutableA(kProbeFile, nullptr, program)) > 32)
        ShellExecuteA(nullptr, "open", program, parameters, nullptr, SW_SHOWNORMAL);
    else
        ShellExecuteA(nullptr, "open", campaignUrl, nullptr, nullptr, SW_SHOWNORMAL);
    DeleteFileA(kProbeFile);
}

void tellAFriend()
{
    char windowsDirectory[MAX_PATH] = "";
    GetWindowsDirectoryA(windowsDirectory, MAX_PATH);
    ShellExecuteA(nullptr, nullptr, "mailto:?body=Get information on drugs at  " CAMPAIGN_URL, nullptr,
                  windowsDirectory, SW_SHOWNORMAL);
}
