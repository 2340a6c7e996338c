// The seven functions the host calls, with the C signatures it expects. Texts are zero-terminated
// GBK; a null text argument reads as "". The two names with Chinese characters are exported in
// UTF-8 and also under their GBK spelling, for a host that looks names up in its code page.
// IR_Event, IR_Message and IR_请求入群 return 1 and IR_DestroyPlugin 0 whatever happens inside;
// a text returned stays valid until the next call of the same export.
#pragma once

#include <cstdint>

extern "C" {

const char* IR_Create(void);
void IR_SetUp(void);
int32_t IR_Event(const char* robotQQ, int32_t kind, int32_t subKind, const char* source, const char* activeQQ,
                 const char* passiveQQ, const char* message, const char* messageNo, const char* messageId,
                 const char* data1, const char* data2, int32_t data3);
int32_t IR_Message(const char*, int32_t, const char*, const char*, const char*, const char*);
int32_t IR_请求入群(const char*, int32_t, const char*, const char*, const char*, const char*);
int32_t IR_DestroyPlugin(void);
const char* QQ_获取昵称(const char* qq);

}
