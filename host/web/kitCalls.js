// Every call into the kit goes through act(): the sound may have to follow
// and the page shows the state after it. Each part of the page that shows some
// of that state asks to follow, in the order set up (the sound first, so the
// board shows what its pull changed).
export function kitCalls() {
  const followers = [];
  return {
    act(call) {
      const result = call();
      for (const follow of followers) follow();
      return result;
    },
    afterEachCall(follow) {
      followers.push(follow);
    },
  };
}
