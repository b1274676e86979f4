-- Run by ardour-jack.sh in its working folder, on the JACK server it started.
AudioEngine:set_backend("JACK", "", "")
assert(AudioEngine:start(false) == 0, "the engine did not start")
local info = nil
for p in ARDOUR.LuaAPI.list_plugins():iter() do
  if p.unique_id == "urn:quenmar:drum-tamrik" then
    info = p
    print("listed: " .. p.name .. " " .. p.unique_id .. " by " .. p.creator)
  end
end
assert(info, "DrumTamrik is not listed")
Session = create_session("session", "tamrik", 44100)
local tracks = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
  ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, info, nil, nil, 1, "Drums",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
local track = tracks:front()
print("plugin 0 " .. track:nth_plugin(0):display_name())
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
-- Plays until ardour-jack.sh has recorded the track.
local helpers = dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "../ardour-helpers.lua")
helpers.wait_until("the recording", function() return ARDOUR.LuaAPI.file_test("recorded", ARDOUR.LuaAPI.FileTest.Exists) end)
