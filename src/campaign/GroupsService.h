#pragma once

#include "campaign/CampaignContext.h"
#include "dialer_link/Dispatcher.h"

class DialerReplies;

// RispostaGruppi: the list of dialing groups for the dialer (70000 -> 70100).
class GroupsService {
public:
    static constexpr int kMaxGroups = 999; // what fits in one body buffer

    GroupsService(const CampaignContext &ctx, DialerReplies &replies) : m_ctx(ctx), m_replies(replies) {}

    wire::Status serve(const DialerRequest &request)
    {
        rispostaGruppi(request.record);
        return {};
    }
    // Also the "invia gruppi" button, echoing the last request received.
    void rispostaGruppi(const packet::RecordId &record);

private:
    CampaignContext m_ctx;
    DialerReplies &m_replies;
};
