#include "doors/SessionLine.h"

#include "app/session/Session.h"
#include "db/ProgramFolder.h"

LineParams sessionLineParams()
{
    LineParams p;
    p.portNo = Session::PortNo;
    p.settings = Session::CommSettings;
    p.inBufSize = Session::InBufSize;
    p.outBufSize = Session::OutBufSize;
    p.programFolder = ProgramFolder::path();
    return p;
}
