// Program entry of festivo.exe.
#include "app/app.h"
#include "app/resource.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show)
{
    CApp app;
    return app.Run(IDS_APP_TITLE, IDI_FESTIVO, IDA_MAIN, instance, show);
}
