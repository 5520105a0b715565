// The replay of a ranking entry, fetched as the game fetches it, and the
// mode and key taken from the page's own address (/watch/MODE/KEY).

export const kModes = ['plimo', 'yoiko', 'wanpaku'];

export function watchTarget(pathname) {
  const parts = pathname.split('/');
  if (parts.length !== 4 || parts[1] !== 'watch' || !kModes.includes(parts[2]) || parts[3] === '') {
    return null;
  }
  let key;
  try {
    key = decodeURIComponent(parts[3]);
  } catch {
    return null;
  }
  return { mode: parts[2], key };
}

// The archive's bytes; an Error with a message for the page otherwise.
export async function downloadReplay(mode, key) {
  const url = `/cgi-bin/plimoball100/ranking_${mode}.cgi?DownloadReplay?${encodeURIComponent(key)}`;
  let response;
  try {
    response = await fetch(url, { method: 'POST', body: '', cache: 'no-store' });
  } catch {
    throw new Error('The ranking server cannot be reached.');
  }
  if (response.status === 404) throw new Error(`No replay "${key}" in the ${mode} ranking.`);
  if (!response.ok) throw new Error(`The ranking server answered ${response.status}.`);
  return response.arrayBuffer();
}
