-- Run by ardour-kit.sh in its working folder: once to make the session on
-- the JACK server it started (KIT_STEP=make), and once, in a new process, to
-- reopen it (KIT_STEP=reopen). KIT_ID names the plug-in, KIT_PRESET the
-- preset that names pad 2 and sets its Level.
local step, id = os.getenv("KIT_STEP"), os.getenv("KIT_ID")
local cutoff2, key1, key2, level2 = 34, 22, 52, 54

-- Only the first step plays; the second reopens the session without JACK,
-- where Ardour's client sometimes fails to start while the first one's
-- leaving is still being reported.
if step == "make" then
  AudioEngine:set_backend("JACK", "ardour-kit", "")
else
  AudioEngine:set_backend("None (Dummy)", "", "")
end
assert(AudioEngine:start(false) == 0, "the engine did not start")

local helpers = dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "../ardour-helpers.lua")
local wait_until, param, save = helpers.wait_until, helpers.param, helpers.save
local function report(track) return helpers.report(track, {cutoff2, key2, level2}) end

if step == "make" then
  local info = nil
  for p in ARDOUR.LuaAPI.list_plugins():iter() do
    if p.unique_id == id then
      info = p
      print("listed: " .. p.name .. " " .. p.unique_id .. " by " .. p.creator)
    end
  end
  assert(info, id .. " is not listed")
  Session = create_session("session", "kit", 44100)
  -- Not strict: the track takes every output the instrument has.
  local track = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
    ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), false, info, nil, nil, 1, "Kit",
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
  -- Ardour pans a track of more than two outputs over them as loudspeakers;
  -- without the panner each of the Kit's outputs reaches its own port.
  track:panner_shell():set_bypassed(true)
  local proc = track:nth_plugin(0)
  local plugin = proc:to_insert():plugin(0)
  local preset = plugin:preset_by_label(os.getenv("KIT_PRESET"))
  assert(preset, "the preset is not listed")
  assert(plugin:load_preset(preset), "the preset did not load")
  assert(param(proc, level2) == 0.75, "the preset's Level did not reach the plug-in")
  ARDOUR.LuaAPI.set_processor_param(proc, cutoff2, 0.25)
  ARDOUR.LuaAPI.set_processor_param(proc, key2, 61 / 127)
  ARDOUR.LuaAPI.set_processor_param(proc, key1, 60 / 127)  -- the note the sequencer plays
  report(track)
  save()
  track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput, PBD.GroupControlDisposition.NoGroup)
  io.open("ready", "w"):close()
  wait_until("the recording", function() return ARDOUR.LuaAPI.file_test("recorded", ARDOUR.LuaAPI.FileTest.Exists) end)
else
  helpers.reopen({cutoff2, key2, level2})
end
