// Commands that arrive while the host holds fewer parameters than the effect
// declares (a parameter set-up the host refused part-way, or none yet), or a
// parameter array with holes: they are answered with a host error code, read
// nothing that is not there and check out no index the host never declared.
#include <vector>

#include "hostsim/HostGlContext.h"
#include "tests/RenderFixture.h"
#include "tests/test_editor_fixture.h"

namespace {

using namespace zanth_test;
using hostsim::HostGlContext;

class MissingParams : public HostTest {
protected:
    // A parameter set-up that the host stops at its `nth` add_param.
    void refusedSetUp(int nth) {
        ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
        host->refuseAddParam(nth, PF_Err_OUT_OF_MEMORY);
        ASSERT_EQ(host->paramsSetup(), PF_Err_OUT_OF_MEMORY);
        host->refuseAddParam(0, PF_Err_NONE);
        host->clearViolations();  // num_params announced 40 while fewer were added
    }
};

TEST_F(MissingParams, EventsAfterARefusedParameterSetUpAreHostErrors) {
    for (int nth : {2, 5, 12, 30, 39}) {
        SCOPED_TRACE(nth);
        refusedSetUp(nth);
        ASSERT_LT(host->paramCount(), 40);
        hostsim::World layer(64, 64);
        host->setInputLayer(layer.def());
        hostsim::EventSender sender(*host);
        EXPECT_EQ(sender.draw(), PF_Err_INVALID_INDEX);
        EXPECT_EQ(sender.lastEvent().evt_out_flags, PF_EO_NONE);
        EXPECT_EQ(sender.click(15 + 40, 78), PF_Err_INVALID_INDEX);
        PF_EventExtra drag = sender.makeEvent(PF_Event_DRAG);
        drag.u.do_click.screen_point = PF_Point{15 + 60, 78};
        drag.u.do_click.continue_refcon[0] = 2;  // the gamma handle reads input black and white
        EXPECT_EQ(sender.send(drag), PF_Err_INVALID_INDEX);
        EXPECT_EQ(sender.adjustCursor(15 + 40, 78), PF_Err_INVALID_INDEX);
        EXPECT_TRUE(host->lastChanges().empty());
        EXPECT_HOST_CLEAN(*host);
    }
}

TEST_F(MissingParams, ARenderBeforeAnyParameterSetUpChecksOutNothing) {
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    HostGlContext hostContext;
    hostContext.makeCurrent();
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    fillBytes(output, 0x5A);
    host->setInputLayer(input.def());
    EXPECT_EQ(host->render(output.def()), PF_Err_INVALID_INDEX);
    EXPECT_EQ(output.pixel8(0, 0).alpha, 0x5A) << "the output was written";
    EXPECT_TRUE(hostContext.isCurrent());
    hostContext.release();
    EXPECT_HOST_CLEAN(*host);  // no checkout of an index the host never declared
}

TEST_F(MissingParams, ARenderAfterARefusedParameterSetUpIsAHostError) {
    refusedSetUp(20);
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    host->setInputLayer(input.def());
    EXPECT_EQ(host->render(output.def()), PF_Err_INVALID_INDEX);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(MissingParams, NullEntriesInTheParameterArrayAreRefused) {
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
    hostsim::World layer(64, 64);
    host->setInputLayer(layer.def());
    hostsim::EventSender sender(*host);
    ASSERT_EQ(sender.draw(), PF_Err_NONE);

    // The host's records, with one entry missing at a time.
    std::vector<PF_ParamDef> defs;
    for (int i = 0; i < host->paramCount(); ++i) defs.push_back(host->param(i));
    PF_InData in = host->inData();
    in.num_params = static_cast<A_long>(defs.size());
    const PF_EntryPointFunc entry = host->module().entryPoint();
    for (int missing : {0, 1, 4, 13, 29, 36, 39}) {
        SCOPED_TRACE(missing);
        std::vector<PF_ParamDef*> params;
        for (PF_ParamDef& d : defs) params.push_back(&d);
        params[static_cast<size_t>(missing)] = nullptr;
        PF_OutData out = host->outData();
        PF_EventExtra event = sender.makeEvent(PF_Event_DRAW);
        hostsim::DrawbotSim::current().beginEvent(event.contextH, event.e_type, event.effect_win.current_frame);
        const PF_Err drawn = entry(PF_Cmd_EVENT, &in, &out, params.data(), nullptr, &event);
        hostsim::DrawbotSim::current().endEvent();
        if (missing == 0) {
            EXPECT_EQ(drawn, PF_Err_NONE) << "a draw checks the layer out; it needs no entry for it";
        } else {
            EXPECT_EQ(drawn, PF_Err_BAD_CALLBACK_PARAM);
        }
        if (missing == 0) {
            hostsim::World output(64, 64);
            EXPECT_EQ(entry(PF_Cmd_RENDER, &in, &out, params.data(), output.def(), nullptr), PF_Err_BAD_CALLBACK_PARAM);
        }
        EXPECT_EQ(entry(PF_Cmd_EVENT, &in, &out, nullptr, nullptr, &event), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_EQ(entry(PF_Cmd_RENDER, &in, &out, nullptr, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
    }
    EXPECT_HOST_CLEAN(*host);
}

}  // namespace
