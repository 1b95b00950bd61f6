// What the user can do with the pointer: point at and click the badge, and the popup menu.
#include "app.h"

#include "../resources/campaign.h"
#include "../resources/media.h"
#include "../show/scenes.h"
#include "../state/show_state.h"

bool hitTestBadge()
{
    // The window covers the screen from (0, 0), so screen and window coordinates agree.
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT badge{};
    badgeRect(&badge);
    return PtInRect(&badge, cursor) && showState.walkerScene == SCENE_BADGE;
}

void showPopupMenu(HWND window)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    // Loaded anew at each right-click; a menu that fails to load shows nothing.
    HMENU menu = GetSubMenu(LoadMenuA(appInstance, MAKEINTRESOURCEA(IDR_POPUP_MENU)), 0);
    switch (TrackPopupMenu(menu, TPM_RETURNCMD, cursor.x, cursor.y, 0, window, nullptr)) {
    case ID_TELL_A_FRIEND:
        tellAFriend();
        break;
    case ID_OPEN_SITE:
        openCampaignUrl(CAMPAIGN_URL " ");
        break;
    case ID_EXIT:
        SendMessageA(window, WM_DESTROY, 0, 0);
        break;
    default:
        break;
    }
}
