// The thirteen host functions with the C signatures by which a plug-in binds them by name: the
// host's side of the binary interface. A host program defines them (tools/hostkit); the plug-in
// only looks them up (host_api.cpp), so both take their signatures from here. Texts are GBK and
// zero-terminated; a returned text belongs to the host and is copied at once.
#pragma once

#include <stdint.h>

// Declared visible: they are what the executable exports.
#pragma GCC visibility push(default)
extern "C" {
int32_t Api_SendMsg(const char* robot, int32_t type, const char* group, const char* qq, const char* text,
                    int32_t option);
int32_t Api_SendXML(const char* robot, int32_t a, int32_t b, const char* group, const char* qq, const char* xml,
                    int32_t c);
int32_t Api_HandleEvent(const char* robot, int32_t kind, const char* qq, const char* group, int32_t answer,
                        const char* reason);
int32_t Api_GetObjLevel(const char* robot, const char* qq);
const char* Api_GetSign(const char* robot, const char* qq);
int32_t Api_ShutUP(const char* robot, const char* group, const char* qq, int32_t seconds);
int32_t Api_KickGroupMBR(const char* robot, const char* group, const char* qq, int32_t block);
int32_t Api_WithdrawMsg(const char* robot, const char* group, const char* messageNo, const char* messageId);
const char* Api_GetPicLink(const char* robot, int32_t type, const char* group, const char* picCode);
int32_t Api_OutPutLog(const char* text);
const char* Api_GetQQList(void);
const char* Api_GetGroupList(const char* robot);
const char* Api_GetNick(const char* robot, const char* qq);
}
#pragma GCC visibility pop
