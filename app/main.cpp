#include "app/CVespiraApp.h"

int main(int argc, char** argv)
{
    return VespiraMain(argc, argv);
}
